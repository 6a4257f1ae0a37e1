#include "engine/random.h"

namespace quivra {

std::int32_t loadedSeed(std::int32_t stored, std::int32_t today)
{
    return stored >= SmallestFixedSeed ? stored : today;
}

} // namespace quivra
