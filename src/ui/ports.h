#pragma once

// The other services commands need from the platform besides dialogs: the text clipboard and the
// clock. Each is a small interface with a plain implementation here; the desktop supplies its own
// where it needs to. The progress and stop port of long loops lives with the loops in the engine
// (engine/progress.h) and comes with this header.

#include "engine/progress.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <utility>

namespace quivra {

// The text clipboard. Copies and pastes pass whole texts.
class Clipboard
{
public:
    virtual ~Clipboard() = default;
    virtual std::string text() const = 0;
    virtual void setText(std::string text) = 0;
};

// A clipboard held in memory: the command line and tests.
class MemoryClipboard final : public Clipboard
{
public:
    std::string text() const override { return m_text; }
    void setText(std::string text) override { m_text = std::move(text); }

private:
    std::string m_text;
};

// The clock: the optimiser's rates and seeds, dates of saves and backups.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual std::chrono::system_clock::time_point now() const = 0;
    // Today's local date as a date serial (days from 30 December 1899).
    virtual std::int32_t today() const = 0;
};

class SystemClock final : public Clock
{
public:
    std::chrono::system_clock::time_point now() const override;
    std::int32_t today() const override;
};

// A clock that stands still until told otherwise.
class FixedClock final : public Clock
{
public:
    FixedClock(std::int32_t today, std::chrono::system_clock::time_point now = {})
        : m_today(today), m_now(now)
    {}
    std::chrono::system_clock::time_point now() const override { return m_now; }
    std::int32_t today() const override { return m_today; }
    void set(std::int32_t today, std::chrono::system_clock::time_point now)
    {
        m_today = today;
        m_now = now;
    }
    void advance(std::chrono::milliseconds by) { m_now += by; }

private:
    std::int32_t m_today;
    std::chrono::system_clock::time_point m_now;
};

} // namespace quivra
