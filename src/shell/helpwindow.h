#pragma once

// The help window: the pages shipped with the program (ui/helptopics.h) in a browser of its
// own, with Contents, Back and Forward.
//
// A window keeps one help window at most: it is created on the first Help and then reused. It
// belongs to the window Help was pressed in (the frame, or a dialog), so it can be read and
// scrolled while that dialog stays open, and it closes with it.
//
// The pages are looked for in the folder the window or one of its parents names in the
// property "helpFolder" (the frame sets it from its program folder), else in help/ beside the
// program, else in ../share/quivra/help of an installed program.

#include <QWidget>

class QDialogButtonBox;
class QLabel;
class QTextBrowser;

namespace quivra {

class HelpWindow : public QWidget
{
    Q_OBJECT

public:
    HelpWindow(const QString &folder, QWidget *parent);

    // Shows the page of `topic`, or says where the pages were looked for when it is missing.
    void showTopic(int topic);
    QTextBrowser *browser() const { return m_browser; }

private:
    QString m_folder;
    QTextBrowser *m_browser;
};

// The folder of the help pages for a window shown from `from` (see above).
QString helpFolder(const QWidget *from);
// Opens `topic` in the help window of `from`'s window and brings it to the front.
HelpWindow *showHelp(QWidget *from, int topic);
// A Help button in `buttons` that opens `topic` and leaves the dialog open.
void addHelpButton(QDialogButtonBox *buttons, int topic);

} // namespace quivra
