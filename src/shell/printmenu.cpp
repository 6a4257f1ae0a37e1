#include "shell/printmenu.h"

#include "engine/calendar.h"
#include "engine/textutil.h"
#include "shell/helpwindow.h"
#include "ui/helptopics.h"
#include "views/qtext.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

namespace quivra {

namespace {

QComboBox *combo(const QStringList &items)
{
    auto *box = new QComboBox;
    box->addItems(items);
    return box;
}

QSpinBox *spin(int low, int high)
{
    auto *box = new QSpinBox;
    box->setRange(low, high);
    return box;
}

QString slotCaption(int slot)
{
    const int number = slotReportNumber(slot);
    const int report = number > 10 ? number / 10 : number;
    QString caption =
        QStringLiteral("%1.  %2").arg(slot).arg(QString::fromStdString(reportTitle(report)));
    if (number > 10)
        caption += QStringLiteral(" (%1)").arg(number % 10);
    return caption;
}

} // namespace

TPrintMenu::TPrintMenu(const ScheduleData &d, SlotLoader loader, int slot, QWidget *parent)
    : QDialog(parent), m_d(d), m_loader(std::move(loader))
{
    setWindowTitle(QStringLiteral("Print menu"));
    m_pages = new QTabWidget;
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_pages);

    // Report.
    m_reports = new QListWidget;
    for (int k = 1; k <= ReportSlotCount; ++k)
        m_reports->addItem(slotCaption(k));
    auto *reportPage = new QWidget;
    auto *reportLayout = new QVBoxLayout(reportPage);
    reportLayout->addWidget(new QLabel(QStringLiteral(" Select report ")));
    reportLayout->addWidget(m_reports);
    m_pages->addTab(reportPage, QStringLiteral("Report"));

    auto flag = [this](const char *caption, bool ReportParams::*field) {
        auto *box = new QCheckBox(QString::fromUtf8(caption));
        m_flags.push_back({box, field});
        return box;
    };
    auto bit = [this](const char *caption, int ReportParams::*field, int value) {
        auto *box = new QCheckBox(QString::fromUtf8(caption));
        m_bits.push_back({box, field, value});
        return box;
    };

    // Selections: weeks and the page settings.
    const int weeks = std::max(1, usedWeeks(d));
    m_firstWeek = spin(1, weeks);
    m_lastWeek = spin(1, weeks);
    m_suffix = combo(
        {QStringLiteral("None (one large file)"), QStringLiteral(".htm"), QStringLiteral(".html")});
    m_charset =
        combo({QStringLiteral("ISO-8859-1"), QStringLiteral("windows-1252"),
               QStringLiteral("UTF-8"), QStringLiteral("ISO-8859-15"), QStringLiteral("<none>")});
    m_charset->setEditable(true);
    m_firstChar = new QLineEdit;
    m_firstChar->setMaxLength(1);
    m_tag = new QLineEdit;
    m_spacing = spin(0, 99);
    m_padding = spin(0, 99);
    m_border = spin(0, 99);
    m_width = spin(0, 100);
    auto *selections = new QWidget;
    auto *form = new QFormLayout(selections);
    form->addRow(QStringLiteral("From week..."), m_firstWeek);
    form->addRow(QStringLiteral("...to week"), m_lastWeek);
    form->addRow(QStringLiteral(" Extension in file names "), m_suffix);
    form->addRow(QStringLiteral("First character in file names"), m_firstChar);
    form->addRow(QStringLiteral("Your character set:"), m_charset);
    form->addRow(QStringLiteral("Link to the page shown on top of web reports"), m_tag);
    auto *table = new QHBoxLayout;
    table->addWidget(new QLabel(QStringLiteral("cellspacing")));
    table->addWidget(m_spacing);
    table->addWidget(new QLabel(QStringLiteral("cellpadding")));
    table->addWidget(m_padding);
    table->addWidget(new QLabel(QStringLiteral("border")));
    table->addWidget(m_border);
    table->addWidget(new QLabel(QStringLiteral("width %")));
    table->addWidget(m_width);
    form->addRow(QStringLiteral("Tables"), table);
    auto *html = new QGridLayout;
    const std::pair<const char *, bool ReportParams::*> htmlFlags[] = {
        {"Show title lines", &ReportParams::titles},
        {"Use table colours", &ReportParams::colours},
        {"Apply selected web page font", &ReportParams::fontFace},
        {"Equally spaced columns (Web only)", &ReportParams::equalWidth},
        {"Left align timetable cells (Web only)", &ReportParams::leftAlign},
        {"Create event references (Web only)", &ReportParams::eventRefs},
        {"Create resource references (Web only)", &ReportParams::resourceRefs},
        {"Time-periods on both sides (Web only)", &ReportParams::bellsBothSides},
        {"Create also daily timetables (Web only)", &ReportParams::dailyPages},
        {"Add links to .ics files (Web only)", &ReportParams::icsFiles},
        {"Insert header file", &ReportParams::headerFile},
        {"Insert footer file", &ReportParams::footerFile},
        {"Publish on Intranet", &ReportParams::intranet},
    };
    int k = 0;
    for (const auto &[caption, field] : htmlFlags) {
        html->addWidget(flag(caption, field), k / 2, k % 2);
        ++k;
    }
    auto *htmlGroup = new QGroupBox(QStringLiteral(" HTML page settings "));
    htmlGroup->setLayout(html);
    form->addRow(htmlGroup);
    m_pages->addTab(selections, QStringLiteral("Selections"));

    // Timetables: the cells of reports 3 and 6.
    const QStringList formats = {QStringLiteral("None"), QStringLiteral("Code"),
                                 QStringLiteral("Name"), QStringLiteral("Both")};
    m_eventRow = combo(formats);
    m_resourceRows = combo(formats);
    m_minRows = spin(1, 129);
    m_maxRows = spin(1, 241);
    m_cellFont = new QLineEdit;
    auto *timetables = new QWidget;
    auto *tform = new QFormLayout(timetables);
    tform->addRow(QStringLiteral(" Event row "), m_eventRow);
    tform->addRow(QStringLiteral(" Resource rows "), m_resourceRows);
    auto *categories = new QHBoxLayout;
    for (int c = 1; c <= MaxCategories; ++c) {
        std::string name = listItem(d.resourceCategories.view(), c);
        auto *box = new QCheckBox(name.empty() ? QString::number(c) : toQString(name));
        box->setVisible(!name.empty());
        m_categories.push_back(box);
        categories->addWidget(box);
    }
    tform->addRow(QStringLiteral("Categories included"), categories);
    tform->addRow(QStringLiteral("Minimum cell rows"), m_minRows);
    tform->addRow(QStringLiteral("Maximum cell rows"), m_maxRows);
    tform->addRow(QStringLiteral("Cell format command"), m_cellFont);
    auto *switches = new QGridLayout;
    QCheckBox *const timetableBoxes[] = {
        flag("Empty timetables", &ReportParams::emptyTables),
        flag("Unscheduled lectures", &ReportParams::unscheduled),
        flag("Hide matching resource", &ReportParams::hideMatches),
        flag("Center-align cell rows vertically", &ReportParams::verticalCentre),
        flag("Suppress last empty cells", &ReportParams::suppressLastCells),
        flag("Description as footer", &ReportParams::footer),
        flag("Wrap lines in cells", &ReportParams::wrapLines),
        bit("Dates in timetables", &ReportParams::weekOptions, WeekDatesInTimetables),
        bit("Cell comments", &ReportParams::weekOptions, WeekCellComments),
        bit("Manually selected rooms", &ReportParams::miscOptions, MiscManualRooms),
    };
    k = 0;
    for (QCheckBox *box : timetableBoxes) {
        switches->addWidget(box, k / 2, k % 2);
        ++k;
    }
    tform->addRow(switches);
    m_pages->addTab(timetables, QStringLiteral("Timetables"));

    // Other: the list reports.
    m_weekFormat = combo({QStringLiteral("None"), QStringLiteral("Week name"),
                          QStringLiteral("Date range"), QStringLiteral("Both")});
    m_codeFormat = combo(formats);
    m_categoryMode =
        combo({QStringLiteral("Code"), QStringLiteral("Name"), QStringLiteral("Both")});
    auto *other = new QWidget;
    auto *oform = new QFormLayout(other);
    oform->addRow(QStringLiteral(" Week format "), m_weekFormat);
    oform->addRow(QStringLiteral(" Code format "), m_codeFormat);
    oform->addRow(QStringLiteral(" Reports 1, 2, 4 and 5 - Category display (Web) "),
                  m_categoryMode);
    auto *fields = new QGridLayout;
    QCheckBox *const otherBoxes[] = {
        bit("NAME", &ReportParams::showFields, FieldName),
        bit("CATEGORY", &ReportParams::showFields, FieldCategory),
        bit("PLANNED", &ReportParams::showFields, FieldPlanned),
        bit("ALLOCATED", &ReportParams::showFields, FieldAllocated),
        bit("SCHEDULED", &ReportParams::showFields, FieldScheduled),
        bit("LINKS", &ReportParams::showFields, FieldLinks),
        bit("Cumulative", &ReportParams::weekOptions, WeekCumulative),
        bit("Multiplied", &ReportParams::weekOptions, WeekMultiplied),
        bit("Scheduled", &ReportParams::weekOptions, WeekScheduled),
        bit("Linked codes (lists of resources)", &ReportParams::weekOptions, WeekLinkedCodes),
        bit("Linked rows (detailed)", &ReportParams::weekOptions, WeekLinkedRows),
        bit("Averages", &ReportParams::weekOptions, WeekAverages),
        bit("Show time with date", &ReportParams::miscOptions, MiscTimeWithDate),
        bit("Select allocated codes only (ALLOCATED>0)", &ReportParams::miscOptions,
            MiscAllocatedOnly),
        bit("ALLOCATED and SCHEDULED from selected weeks", &ReportParams::miscOptions,
            MiscSelectedWeeksTotals),
        bit("Show event memos (Web only)", &ReportParams::publishMemos, 1),
        bit("Show resource memos (Web only)", &ReportParams::publishMemos, 2),
    };
    k = 0;
    for (QCheckBox *box : otherBoxes) {
        fields->addWidget(box, k / 3, k % 3);
        ++k;
    }
    oform->addRow(fields);
    m_pages->addTab(other, QStringLiteral("Other"));

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Cancel);
    QPushButton *publish =
        buttons->addButton(QStringLiteral("Publish"), QDialogButtonBox::AcceptRole);
    publish->setObjectName(QStringLiteral("publish"));
    QPushButton *print = buttons->addButton(QStringLiteral("Print!"), QDialogButtonBox::ActionRole);
    print->setObjectName(QStringLiteral("print"));
    connect(publish, &QPushButton::clicked, this, [this] { m_action = Action::Publish; });
    connect(print, &QPushButton::clicked, this, [this] {
        m_action = Action::Print;
        accept();
    });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    addHelpButton(buttons, HelpTopic::PrintMenu);
    layout->addWidget(buttons);

    connect(m_reports, &QListWidget::currentRowChanged, this, [this] { slotChosen(); });
    m_reports->setCurrentRow(clampInt(slot, 1, ReportSlotCount) - 1);
}

void TPrintMenu::slotChosen()
{
    if (m_loader)
        setParams(m_loader(slot()));
}

int TPrintMenu::slot() const
{
    return clampInt(m_reports->currentRow() + 1, 1, ReportSlotCount);
}

void TPrintMenu::setParams(const ReportParams &params)
{
    m_params = params;
    const int weeks = std::max(1, usedWeeks(m_d));
    const auto range = reportWeeks(m_d, params);
    m_firstWeek->setValue(clampInt(range.first, 1, weeks));
    m_lastWeek->setValue(clampInt(range.second, 1, weeks));
    m_suffix->setCurrentIndex(params.suffix);
    m_charset->setCurrentText(QString::fromStdString(params.charset));
    m_firstChar->setText(QString(QChar(params.firstChar)));
    m_tag->setText(QString::fromStdString(params.tag));
    m_cellFont->setText(QString::fromStdString(params.cellFont));
    m_spacing->setValue(params.cellSpacing);
    m_padding->setValue(params.cellPadding);
    m_border->setValue(params.border);
    m_width->setValue(params.width);
    m_eventRow->setCurrentIndex((params.tableMask >> 2) & 3);
    m_resourceRows->setCurrentIndex(params.tableMask & 3);
    for (int c = 0; c < MaxCategories; ++c)
        m_categories[static_cast<std::size_t>(c)]->setChecked(params.tableMask & (1 << (7 + c)));
    m_minRows->setValue(params.minCellRows);
    m_maxRows->setValue(params.maxCellRows);
    m_weekFormat->setCurrentIndex(params.weekFormat);
    m_codeFormat->setCurrentIndex(params.codeFormat);
    m_categoryMode->setCurrentIndex(params.categoryMode);
    for (const FlagBox &f : m_flags)
        f.box->setChecked(params.*f.field);
    for (const BitBox &b : m_bits)
        b.box->setChecked((params.*b.field & b.bit) != 0);
}

ReportParams TPrintMenu::params() const
{
    ReportParams p = m_params;
    p.setReportNumber(slotReportNumber(slot()));
    p.firstWeek = m_firstWeek->value();
    p.lastWeek = std::max(m_lastWeek->value(), p.firstWeek);
    p.suffix = m_suffix->currentIndex();
    p.charset = m_charset->currentText().toStdString();
    const QString first = m_firstChar->text().toLower();
    if (!first.isEmpty() && first[0] >= QLatin1Char('a') && first[0] <= QLatin1Char('z'))
        p.firstChar = static_cast<char>(first[0].toLatin1());
    p.tag = m_tag->text().toStdString();
    p.cellFont = m_cellFont->text().toStdString();
    p.cellSpacing = m_spacing->value();
    p.cellPadding = m_padding->value();
    p.border = m_border->value();
    p.width = m_width->value();
    int mask = (p.tableMask & ~0x3F8F) | (m_eventRow->currentIndex() << 2) |
               m_resourceRows->currentIndex();
    for (int c = 0; c < MaxCategories; ++c)
        if (m_categories[static_cast<std::size_t>(c)]->isChecked())
            mask |= 1 << (7 + c);
    p.tableMask = mask;
    p.minCellRows = m_minRows->value();
    p.maxCellRows = std::max(m_maxRows->value(), p.minCellRows);
    p.weekFormat = m_weekFormat->currentIndex();
    p.codeFormat = m_codeFormat->currentIndex();
    p.categoryMode = m_categoryMode->currentIndex();
    for (const FlagBox &f : m_flags)
        p.*f.field = f.box->isChecked();
    for (const BitBox &b : m_bits)
        p.*b.field = b.box->isChecked() ? (p.*b.field | b.bit) : (p.*b.field & ~b.bit);
    clampReportParams(p);
    return p;
}

} // namespace quivra
