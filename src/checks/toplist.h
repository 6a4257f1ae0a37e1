#pragma once

// The lists of the checks that keep only the first entries of a long run (the heaviest weekly
// loads, the timetables with most gaps) keep them in a bounded heap: its top is the entry that
// ranks last of those kept, which a better newcomer replaces.

#include <algorithm>
#include <cstddef>
#include <vector>

namespace quivra {

// Offers `entry` to `heap`, which keeps at most `most` entries; `before(a, b)` is true when a
// ranks before b. Sort the heap with the same `before` when the run ends.
template <class Entry, class Before>
void offerToTopList(std::vector<Entry> &heap, std::size_t most, const Entry &entry, Before before)
{
    if (heap.size() < most) {
        heap.push_back(entry);
        std::push_heap(heap.begin(), heap.end(), before);
    } else if (before(entry, heap.front())) {
        std::pop_heap(heap.begin(), heap.end(), before);
        heap.back() = entry;
        std::push_heap(heap.begin(), heap.end(), before);
    }
}

} // namespace quivra
