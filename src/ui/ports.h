#pragma once

// The other services commands need from the platform besides dialogs: progress and status text
// of long loops with a stop flag, the text clipboard and the clock. Each is a small interface
// with a plain implementation here; the desktop supplies its own where it needs to.

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

namespace quivra {

// Progress of a long loop. The loop calls begin, step and status and polls stopRequested
// between units of work; whoever shows it (a Stop button, an abort box) calls requestStop.
// The flag stays set until the next begin, so a loop that checks late still sees it.
class Progress
{
public:
    virtual ~Progress() = default;

    // Starts a run of `maximum` units (0: unknown) and clears the stop flag.
    void begin(std::string_view text, int maximum)
    {
        m_stop = false;
        onBegin(text, maximum);
    }
    void step(int position) { onStep(position); }
    // A status line shown while working, or outside any run.
    void status(std::string_view text) { onStatus(text); }
    void end() { onEnd(); }

    void requestStop() { m_stop = true; }
    bool stopRequested()
    {
        onPoll();
        return m_stop;
    }

protected:
    virtual void onBegin(std::string_view, int) {}
    virtual void onStep(int) {}
    virtual void onStatus(std::string_view) {}
    virtual void onEnd() {}
    // Lets a desktop run pending window messages (and so a Stop button) while the loop polls.
    virtual void onPoll() {}

private:
    bool m_stop = false;
};

// Shows nothing: the command line and tests that do not care.
class NullProgress final : public Progress
{
};

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
