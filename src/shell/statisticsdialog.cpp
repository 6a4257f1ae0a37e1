#include "shell/statisticsdialog.h"

#include "commands/healthcommands.h"
#include "engine/calendar.h"
#include "engine/codetable.h"
#include "shell/commandtable.h"
#include "shell/helpwindow.h"
#include "shell/mainframe.h"
#include "ui/helptopics.h"
#include "views/qtext.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace quivra {

namespace {

// Bar colours: allocated, scheduled, booked, gaps.
const QColor BarColours[] = {QColor(0, 0, 255), QColor(0, 128, 0), QColor(255, 0, 0),
                             QColor(128, 0, 0)};
const char *const BarNames[] = {"Allocated", "Scheduled", "Bookings", "Gaps"};

QString displayed(const std::string &text)
{
    QString s = toQString(text);
    s.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return s;
}

QTableWidget *newTable(QWidget *parent)
{
    auto *table = new QTableWidget(parent);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->horizontalHeader()->hide();
    table->verticalHeader()->hide();
    return table;
}

void fillLinkTable(QTableWidget *table, const LinkTable &links, const char *first,
                   const char *second)
{
    table->setColumnCount(3);
    table->setRowCount(static_cast<int>(links.rows.size()) + 1);
    const char *const heads[] = {first, second, "Scheduled"};
    for (int c = 0; c < 3; ++c) {
        auto *item = new QTableWidgetItem(QString::fromLatin1(heads[c]));
        QFont bold = item->font();
        bold.setBold(true);
        item->setFont(bold);
        table->setItem(0, c, item);
    }
    for (int r = 0; r < static_cast<int>(links.rows.size()); ++r) {
        const LinkRow &row = links.rows[static_cast<std::size_t>(r)];
        const long long values[] = {row.n, row.codes, row.scheduled};
        for (int c = 0; c < 3; ++c) {
            auto *item = new QTableWidgetItem(QString::number(values[c]));
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table->setItem(r + 1, c, item);
        }
    }
    table->resizeColumnsToContents();
}

} // namespace

// ---- WeekGraph -----------------------------------------------------------------------------

WeekGraph::WeekGraph(const ScheduleData &d, QWidget *parent) : QWidget(parent), m_d(d)
{
    setObjectName("weekGraph");
    setMinimumSize(360, 220);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
}

void WeekGraph::setGraph(const ResourceGraph &graph)
{
    m_graph = graph;
    update();
}

QSize WeekGraph::sizeHint() const
{
    return {std::max(480, 40 + 36 * static_cast<int>(m_graph.weeks.size())), 280};
}

QRect WeekGraph::plotArea() const
{
    const int header = fontMetrics().height() * 2;
    return rect().adjusted(34, header, -8, -6);
}

void WeekGraph::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, false);
    const QRect area = plotArea();
    const int weeks = static_cast<int>(m_graph.weeks.size());
    p.setPen(Qt::black);
    p.drawText(QRect(0, 0, 32, fontMetrics().height() + 4), Qt::AlignCenter, QStringLiteral("h"));
    if (weeks == 0) {
        p.drawText(area, Qt::AlignCenter, QStringLiteral("No weeks scheduled"));
        return;
    }
    // The scale reaches the next multiple of five above the largest bar.
    const int largest = (std::max(m_graph.largest, 1) + 5) / 5 * 5;
    const double perPeriod = static_cast<double>(area.height()) / largest;
    // Dotted lines every five periods, labelled at the left.
    QPen dotted(Qt::gray, 1, Qt::DotLine);
    for (int v = 5; v <= largest; v += 5) {
        const int y = area.bottom() - static_cast<int>(v * perPeriod);
        p.setPen(dotted);
        p.drawLine(area.left(), y, area.right(), y);
        p.setPen(Qt::black);
        p.drawText(QRect(0, y - 8, 30, 16), Qt::AlignRight | Qt::AlignVCenter, QString::number(v));
    }
    const double column = static_cast<double>(area.width()) / weeks;
    for (int w = 0; w < weeks; ++w) {
        const int x0 = area.left() + static_cast<int>(w * column);
        const int x1 = area.left() + static_cast<int>((w + 1) * column);
        p.setPen(Qt::black);
        p.drawText(QRect(x0, 0, x1 - x0, fontMetrics().height() + 4), Qt::AlignCenter,
                   toQString(formatWeek(m_d, w + 1, 3)));
        const GraphWeek &g = m_graph.weeks[static_cast<std::size_t>(w)];
        const int values[] = {g.allocated, g.scheduled, g.booked, g.gaps};
        const double bar = (x1 - x0 - 4) / 4.0;
        for (int k = 0; k < 4; ++k) {
            const int h = static_cast<int>(values[k] * perPeriod);
            const QRectF r(x0 + 2 + k * bar, area.bottom() - h, std::max(bar - 1, 1.0), h);
            p.fillRect(r, BarColours[k]);
        }
        p.setPen(QPen(Qt::lightGray));
        p.drawLine(x1, area.top(), x1, area.bottom());
    }
    p.setPen(Qt::black);
    p.drawLine(area.bottomLeft(), area.bottomRight());
}

void WeekGraph::mousePressEvent(QMouseEvent *event)
{
    const QRect area = plotArea();
    const int weeks = static_cast<int>(m_graph.weeks.size());
    if (weeks == 0 || event->position().x() < area.left())
        return;
    const int w =
        static_cast<int>((event->position().x() - area.left()) * weeks / area.width()) + 1;
    if (w >= 1 && w <= weeks)
        emit weekClicked(w, toQString(graphHint(m_d, m_graph, w)));
}

// ---- TStatNoteBookDlg ----------------------------------------------------------------------

TStatNoteBookDlg::TStatNoteBookDlg(const ScheduleData &d, bool countBookings,
                                   const QString &filePath, QWidget *parent)
    : QDialog(parent), m_d(d), m_stats(computeStatistics(d)), m_pages(new QTabWidget(this))
{
    setObjectName("statisticsDialog");
    setWindowTitle(QStringLiteral("Statistics"));
    auto *layout = new QVBoxLayout(this);
    m_pages->addTab(buildTablePage(StatKind::Events), QStringLiteral("Events"));
    m_pages->addTab(buildTablePage(StatKind::Resources), QStringLiteral("Resources"));
    m_pages->addTab(buildVolumesPage(), QStringLiteral("Volumes"));
    m_pages->addTab(buildFilesPage(filePath), QStringLiteral("Files"));
    m_pages->addTab(buildTimetablesPage(), QStringLiteral("Timetables"));
    m_pages->addTab(buildGraphsPage(countBookings), QStringLiteral("Graphs"));
    m_pages->setTabEnabled(GraphsPage, m_resource->count() > 0);
    layout->addWidget(m_pages);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    addHelpButton(buttons, HelpTopic::Statistics);
    layout->addWidget(buttons);
    resize(760, 480);
}

QTableWidget *TStatNoteBookDlg::table(StatKind kind) const
{
    return kind == StatKind::Events ? m_events : m_resources;
}

QWidget *TStatNoteBookDlg::buildTablePage(StatKind kind)
{
    auto *page = new QWidget(this);
    auto *layout = new QVBoxLayout(page);
    QTableWidget *t = newTable(page);
    t->setObjectName(kind == StatKind::Events ? "eventsTable" : "resourcesTable");
    const int columns = statColumns(m_stats);
    t->setRowCount(StatRows);
    t->setColumnCount(columns);
    for (int r = 0; r < StatRows; ++r) {
        for (int c = 0; c < columns; ++c) {
            const std::string text = statCell(m_d, m_stats, kind, c, r);
            auto *item = new QTableWidgetItem(r == 0 || c == 0 ? toQString(text)
                                                               : toQString(drawnStatCell(text)));
            if (r == 0 || c == 0 || r == StatTotalRow || r == StatBookingTotalRow) {
                QFont bold = item->font();
                bold.setBold(true);
                item->setFont(bold);
            }
            if (r > 0 && c > 0)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            t->setItem(r, c, item);
        }
    }
    t->resizeColumnsToContents();
    layout->addWidget(t);
    auto *copy = new QPushButton(QStringLiteral("C&opy"), page);
    copy->setToolTip(QStringLiteral("Copy this table to the Clipboard"));
    connect(copy, &QPushButton::clicked, this, [this, kind] {
        QGuiApplication::clipboard()->setText(displayed(categoryTableText(m_d, m_stats, kind)));
    });
    layout->addWidget(copy, 0, Qt::AlignLeft);
    (kind == StatKind::Events ? m_events : m_resources) = t;
    return page;
}

QWidget *TStatNoteBookDlg::buildVolumesPage()
{
    auto *page = new QWidget(this);
    auto *layout = new QHBoxLayout(page);
    auto *gauges = new QFormLayout;
    for (const Gauge &g : m_stats.gauges) {
        auto *bar = new QProgressBar(page);
        bar->setRange(0, static_cast<int>(std::max<long long>(g.maximum, 1)));
        bar->setValue(static_cast<int>(std::min(g.value, std::max<long long>(g.maximum, 1))));
        bar->setFormat(g.maximum == 100 ? QStringLiteral("%v %") : QStringLiteral("%v of %m"));
        gauges->addRow(toQString(g.label), bar);
    }
    layout->addLayout(gauges, 2);
    const std::pair<const LinkTable *, std::array<const char *, 2>> tables[] = {
        {&m_stats.resourcesInEvents, {"Resources", "Events"}},
        {&m_stats.eventLinksOfResources, {"Events", "Resources"}},
    };
    for (const auto &[links, heads] : tables) {
        auto *column = new QVBoxLayout;
        column->addWidget(new QLabel(toQString(links->label), page));
        QTableWidget *t = newTable(page);
        fillLinkTable(t, *links, heads[0], heads[1]);
        column->addWidget(t);
        auto *copy = new QPushButton(QStringLiteral("Copy"), page);
        const LinkTable *which = links;
        connect(copy, &QPushButton::clicked, this, [which] {
            QGuiApplication::clipboard()->setText(displayed(linkTableText(*which)));
        });
        column->addWidget(copy, 0, Qt::AlignLeft);
        layout->addLayout(column, 1);
    }
    return page;
}

QWidget *TStatNoteBookDlg::buildFilesPage(const QString &filePath)
{
    auto *page = new QWidget(this);
    auto *layout = new QVBoxLayout(page);
    const QString folder = QCoreApplication::applicationDirPath();
    for (const std::string &line :
         filesPageLines(m_d, filePath.toStdString(), folder.toStdString())) {
        auto *label = new QLabel(QString::fromStdString(line), page);
        label->setToolTip(label->text());
        layout->addWidget(label);
    }
    layout->addStretch();
    return page;
}

QWidget *TStatNoteBookDlg::buildTimetablesPage()
{
    auto *page = new QWidget(this);
    auto *layout = new QVBoxLayout(page);
    for (const std::string &line : m_stats.timetableLines)
        layout->addWidget(new QLabel(toQString(line), page));
    layout->addSpacing(12);
    layout->addWidget(new QLabel(toQString(m_stats.eventBlocks), page));
    layout->addWidget(new QLabel(toQString(m_stats.eventBlockList), page));
    layout->addWidget(new QLabel(QStringLiteral("Bookings blocks:"), page));
    layout->addWidget(new QLabel(toQString(m_stats.bookingBlockList), page));
    layout->addStretch();
    return page;
}

QWidget *TStatNoteBookDlg::buildGraphsPage(bool countBookings)
{
    auto *page = new QWidget(this);
    auto *layout = new QVBoxLayout(page);
    auto *top = new QHBoxLayout;
    m_resource = new QComboBox(page);
    m_resource->setObjectName("graphResource");
    for (int i = 1; i <= std::min<int>(m_d.resourceList[0], MaxCodes); ++i) {
        const CodeId r = m_d.resourceList[static_cast<std::size_t>(i)];
        m_resource->addItem(toQString(formatCode(m_d, r, ShowCodeAndName)), r);
    }
    m_countBookings = new QCheckBox(QStringLiteral("Count bookings"), page);
    m_countBookings->setChecked(countBookings);
    top->addWidget(m_resource, 1);
    top->addWidget(m_countBookings);
    layout->addLayout(top);
    m_graph = new WeekGraph(m_d, page);
    layout->addWidget(m_graph, 1);
    auto *legend = new QHBoxLayout;
    for (int k = 0; k < 4; ++k) {
        auto *swatch = new QLabel(page);
        swatch->setFixedSize(14, 14);
        swatch->setStyleSheet(QStringLiteral("background: %1").arg(BarColours[k].name()));
        legend->addWidget(swatch);
        legend->addWidget(new QLabel(QString::fromLatin1(BarNames[k]), page));
        legend->addSpacing(12);
    }
    legend->addStretch();
    layout->addLayout(legend);
    m_graphHint = new QLabel(page);
    m_graphHint->setObjectName("graphHint");
    layout->addWidget(m_graphHint);
    connect(m_resource, &QComboBox::currentIndexChanged, this, [this] { showGraph(); });
    connect(m_countBookings, &QCheckBox::toggled, this, [this] { showGraph(); });
    connect(m_graph, &WeekGraph::weekClicked, this,
            [this](int, const QString &hint) { m_graphHint->setText(hint); });
    connect(m_pages, &QTabWidget::currentChanged, this, [this](int shown) {
        if (shown == GraphsPage)
            showGraph();
    });
    return page;
}

void TStatNoteBookDlg::showGraph()
{
    if (m_resource->currentIndex() < 0)
        return;
    const auto r = static_cast<CodeId>(m_resource->currentData().toInt());
    m_graph->setGraph(resourceGraph(m_d, r, m_countBookings->isChecked()));
    m_graphHint->clear();
}

// ---- Frame commands ------------------------------------------------------------------------

namespace {

bool bookingsOccupy(const ScheduleData &d)
{
    return d.header.bookingsCountAsOccupied != 0;
}

} // namespace

void bindStatisticsCommand(FrameCommand &row, TFrameForm &frame)
{
    row.hint = QStringLiteral("Display detailed statistics of your file");
    row.run = [&frame] {
        TStatNoteBookDlg dialog(frame.data(), bookingsOccupy(frame.data()), frame.filePath(),
                                &frame);
        dialog.exec();
    };
    row.enabled = [&frame] { return frame.viewsExist(); };
}

void bindSummaryCommand(FrameCommand &row, TFrameForm &frame)
{
    row.hint = QStringLiteral("Display a summary statistics of your file");
    row.run = [&frame] { showSummary(frame.data(), frame.prompter()); };
    row.enabled = [&frame] { return frame.viewsExist(); };
}

void bindHealthCommand(FrameCommand &row, TFrameForm &frame)
{
    row.hint = QStringLiteral("Perform a health check for your data");
    row.run = [&frame] {
        healthCheck(frame.data(), frame.prompter());
        frame.refreshViews();
    };
    row.enabled = [&frame] { return frame.viewsExist(); };
}

void bindMaximumWeeklyCommand(FrameCommand &row, TFrameForm &frame)
{
    row.hint = QStringLiteral("Find resources with highest weekly periods");
    row.run = [&frame] {
        if (maximumWeeklyPeriods(frame.data(), frame.prompter()))
            frame.refreshViews();
    };
    row.enabled = [&frame] { return frame.viewsExist(); };
}

void bindQualityCommand(FrameCommand &row, TFrameForm &frame)
{
    row.hint = QStringLiteral("Find timetables with most gaps");
    row.run = [&frame] {
        const auto choice =
            timetableQualityList(frame.data(), frame.prompter(), bookingsOccupy(frame.data()));
        if (!choice)
            return;
        frame.setActiveWeek(choice->week);
        frame.showView(ViewTag::Timetables);
        frame.pickCode(choice->resource);
    };
    row.enabled = [&frame] { return frame.viewsExist(); };
}

} // namespace quivra
