#include "shell/helpwindow.h"

#include "ui/helptopics.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace quivra {

HelpWindow::HelpWindow(const QString &folder, QWidget *parent)
    : QWidget(parent, Qt::Window), m_folder(folder), m_browser(new QTextBrowser(this))
{
    setObjectName("helpWindow");
    setWindowTitle(QStringLiteral("Quivra Help"));
    setAttribute(Qt::WA_DeleteOnClose);
    m_browser->setObjectName("helpBrowser");
    m_browser->setOpenExternalLinks(true);
    m_browser->setSearchPaths({folder});

    auto *contents = new QPushButton(QStringLiteral("&Contents"), this);
    auto *back = new QPushButton(QStringLiteral("&Back"), this);
    auto *forward = new QPushButton(QStringLiteral("&Forward"), this);
    auto *close = new QPushButton(QStringLiteral("Close"), this);
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(contents, &QPushButton::clicked, this, [this] { showTopic(HelpTopic::Contents); });
    connect(back, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(forward, &QPushButton::clicked, m_browser, &QTextBrowser::forward);
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, forward, &QPushButton::setEnabled);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    connect(m_browser, &QTextBrowser::sourceChanged, this, [this] {
        const QString title = m_browser->documentTitle();
        setWindowTitle(title.isEmpty() ? QStringLiteral("Quivra Help")
                                       : QStringLiteral("Quivra Help - ") + title);
    });

    auto *buttons = new QHBoxLayout;
    for (QPushButton *button : {contents, back, forward})
        buttons->addWidget(button);
    buttons->addStretch();
    buttons->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(m_browser);
    resize(720, 560);
}

void HelpWindow::showTopic(int topic)
{
    const HelpPage page = helpPage(topic);
    const QString path = QDir(m_folder).filePath(QString::fromStdString(page.file));
    if (!QFileInfo(path).isFile()) {
        m_browser->setHtml(QStringLiteral("<h1>Help is not installed</h1><p>The help pages "
                                          "were looked for in \"%1\", which does not hold "
                                          "them.</p>")
                               .arg(m_folder.toHtmlEscaped()));
        return;
    }
    QUrl url = QUrl::fromLocalFile(path);
    if (!page.anchor.empty())
        url.setFragment(QString::fromStdString(page.anchor));
    m_browser->setSource(url);
}

QString helpFolder(const QWidget *from)
{
    for (const QWidget *w = from; w; w = w->parentWidget()) {
        const QVariant named = w->property("helpFolder");
        if (named.isValid() && !named.toString().isEmpty())
            return named.toString();
    }
    const QString own = QCoreApplication::applicationDirPath();
    const QString beside = own + QStringLiteral("/help");
    if (QFileInfo(beside + QStringLiteral("/index.html")).isFile())
        return beside;
    return QDir::cleanPath(own + QStringLiteral("/../share/quivra/help"));
}

HelpWindow *showHelp(QWidget *from, int topic)
{
    QWidget *owner = from ? from->window() : nullptr;
    auto *help =
        owner ? owner->findChild<HelpWindow *>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
    if (!help)
        help = new HelpWindow(helpFolder(owner), owner);
    help->showTopic(topic);
    help->show();
    help->raise();
    help->activateWindow();
    return help;
}

void addHelpButton(QDialogButtonBox *buttons, int topic)
{
    QPushButton *help = buttons->addButton(QDialogButtonBox::Help);
    help->setText(QStringLiteral("&Help"));
    help->setObjectName("helpButton");
    QObject::connect(buttons, &QDialogButtonBox::helpRequested, buttons,
                     [buttons, topic] { showHelp(buttons, topic); });
}

} // namespace quivra
