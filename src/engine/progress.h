#pragma once

// The one port of every long loop: the conflict sweep, the initial solution and the other tools
// of the optimisation dialog, the optimiser, the network read. A loop reports where it stands
// through begin, step and status and polls stopRequested between units of work; whoever shows
// it (a Stop button, an abort box, a test) calls requestStop. Everything runs on one thread: a
// desktop processes its pending window messages in onPoll, so a Stop press reaches the flag
// while the loop polls.

#include <string_view>

namespace quivra {

// The stop flag stays set until the next begin, so a loop that checks late still sees it.
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

// Shows nothing: the command line, benchmarks and tests that do not care.
class NullProgress final : public Progress
{
};

// One run of a loop: begins on construction and ends on destruction, so every way out of the
// loop closes what the run showed.
class ProgressRun
{
public:
    ProgressRun(Progress &progress, std::string_view text, int maximum) : m_progress(progress)
    {
        m_progress.begin(text, maximum);
    }
    ~ProgressRun() { m_progress.end(); }
    ProgressRun(const ProgressRun &) = delete;
    ProgressRun &operator=(const ProgressRun &) = delete;

private:
    Progress &m_progress;
};

} // namespace quivra
