#pragma once

// The desktop side of the progress port of long loops (engine/progress.h) and of the clipboard
// (ui/ports.h).
//
// Everything runs on the one user-interface thread: a long loop polls the progress between
// units of work, and that poll runs pending window messages so the Stop button can be pressed.
// While a run is in progress the main window is disabled, so no other command can start and
// find the data set half-changed.

#include "ui/ports.h"

#include <QPointer>

#include <functional>

class QLabel;
class QProgressDialog;
class QWidget;

namespace quivra {

class QtProgress final : public Progress
{
public:
    // `window` is disabled during a run; `status` (may be null) shows status texts.
    QtProgress(QWidget *window, QLabel *status);
    ~QtProgress() override;

    QProgressDialog *dialog() const { return m_dialog; }
    // Asked when Stop is pressed or the progress window closed: the run stops only on true.
    // Unset, Stop stops at once. The run waits while the question is open.
    void setStopQuestion(std::function<bool()> ask) { m_askToStop = std::move(ask); }

protected:
    void onBegin(std::string_view text, int maximum) override;
    void onStep(int position) override;
    void onStatus(std::string_view text) override;
    void onEnd() override;
    void onPoll() override;

private:
    void stopPressed();

    QPointer<QWidget> m_window;
    QPointer<QLabel> m_status;
    QProgressDialog *m_dialog = nullptr;
    std::function<bool()> m_askToStop;
    bool m_asking = false; // the stop question is open
};

// The system clipboard, with the code page crossing of every text.
class QtClipboard final : public Clipboard
{
public:
    std::string text() const override;
    void setText(std::string text) override;
};

} // namespace quivra
