#pragma once

// Runs a piece of a test in a named time zone: sets TZ for as long as it lives and puts the old
// value (or its absence) back afterwards.

#include <cstdlib>
#include <ctime>
#include <string>

namespace quivra {

class ScopedTimeZone
{
public:
    explicit ScopedTimeZone(const char *zone)
    {
        const char *old = std::getenv("TZ");
        m_had = old != nullptr;
        m_old = old ? old : "";
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ScopedTimeZone()
    {
        if (m_had)
            setenv("TZ", m_old.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    ScopedTimeZone(const ScopedTimeZone &) = delete;
    ScopedTimeZone &operator=(const ScopedTimeZone &) = delete;

private:
    bool m_had = false;
    std::string m_old;
};

} // namespace quivra
