#pragma once

// A progress port for tests: counts what a long loop shows and requests a stop at a chosen poll.

#include "engine/progress.h"

#include <string>
#include <string_view>

namespace quivra {

class CountingProgress final : public Progress
{
public:
    // Requests the stop at the `stopAtPoll`-th poll and every poll after it (0: never), so a
    // begin that clears the flag in between does not hide it.
    explicit CountingProgress(int stopAtPoll = 0) : m_stopAt(stopAtPoll) {}

    int begins = 0;
    int ends = 0;
    int steps = 0;
    int polls = 0;
    int maximum = 0;    // of the last begin
    int position = 0;   // of the last step
    std::string text;   // of the last begin
    std::string status; // the last status line

protected:
    void onBegin(std::string_view t, int m) override
    {
        ++begins;
        text = t;
        maximum = m;
    }
    void onStep(int p) override
    {
        ++steps;
        position = p;
    }
    void onStatus(std::string_view s) override { status = s; }
    void onEnd() override { ++ends; }
    void onPoll() override
    {
        ++polls;
        if (m_stopAt > 0 && polls >= m_stopAt)
            requestStop();
    }

private:
    int m_stopAt;
};

} // namespace quivra
