// The system clipboard on the offscreen platform: a copy's code-page text reaches other
// programs as Unicode and comes back byte for byte; text another program put there (LF line
// ends, characters outside the code page) reads as the same cells.

#include "reports/clipboardtext.h"
#include "shell/qtports.h"

#include <QApplication>
#include <QClipboard>
#include <QtTest>

using namespace quivra;

class ClipboardTest : public QObject
{
    Q_OBJECT

private slots:
    void aCopyComesBackByteForByte()
    {
        QtClipboard clipboard;
        const std::string copied = "A1\tAlg\xE8"
                                   "bre \xE9t\xE9\t2\t40\r\n";
        clipboard.setText(copied);
        QCOMPARE(QApplication::clipboard()->text(),
                 QString::fromUtf8("A1\tAlgèbre été\t2\t40\r\n"));
        const std::string back = clipboard.text();
        QCOMPARE(back.size(), copied.size());
        QVERIFY(back == copied);
        QVERIFY(back.find('\0') == std::string::npos);
    }

    void anotherProgramsTextReadsAsTheSameCells()
    {
        QApplication::clipboard()->setText(QString::fromUtf8("B2\tCafé\t1\nC3\t€ 5\t2"));
        QtClipboard clipboard;
        const std::vector<ClipLine> lines = readClipLines(clipboard.text());
        QCOMPARE(lines.size(), std::size_t(2));
        QVERIFY(lines[0] == (ClipLine{"B2", "Caf\xE9", "1"}));
        QVERIFY(lines[1] == (ClipLine{"C3", "\x80 5", "2"}));
    }
};

QTEST_MAIN(ClipboardTest)
#include "clipboard_test.moc"
