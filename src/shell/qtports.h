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

protected:
    void onBegin(std::string_view text, int maximum) override;
    void onStep(int position) override;
    void onStatus(std::string_view text) override;
    void onEnd() override;
    void onPoll() override;

private:
    QPointer<QWidget> m_window;
    QPointer<QLabel> m_status;
    QProgressDialog *m_dialog = nullptr;
};

// The system clipboard, with the code page crossing of every text.
class QtClipboard final : public Clipboard
{
public:
    std::string text() const override;
    void setText(std::string text) override;
};

} // namespace quivra
