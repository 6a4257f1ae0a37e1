#include "ui/ports.h"

#include "engine/textutil.h"

#include <ctime>

namespace quivra {

std::chrono::system_clock::time_point SystemClock::now() const
{
    return std::chrono::system_clock::now();
}

std::int32_t SystemClock::today() const
{
    const std::time_t t = std::chrono::system_clock::to_time_t(now());
    std::tm local{};
    if (localtime_r(&t, &local) == nullptr)
        return 0;
    return dateSerial(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}

} // namespace quivra
