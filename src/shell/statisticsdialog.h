#pragma once

// The statistics notebook (TStatNoteBookDlg): the Events and Resources tables, the volumes with
// the link tables, the timetables page and one resource's weekly graph. Everything is computed
// once when the dialog opens, from the data set as it stands; nothing is changed.

#include "checks/statistics.h"
#include "engine/scheduledata.h"

#include <QDialog>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QTabWidget;
class QTableWidget;

namespace quivra {

struct FrameCommand;
class TFrameForm;

// Four bars a week: allocated, scheduled, booked and gaps of one resource.
class WeekGraph : public QWidget
{
    Q_OBJECT

public:
    WeekGraph(const ScheduleData &d, QWidget *parent = nullptr);
    void setGraph(const ResourceGraph &graph);
    const ResourceGraph &graph() const { return m_graph; }
    QSize sizeHint() const override;

signals:
    // The week under a click, with the graph's hint for it.
    void weekClicked(int week, const QString &hint);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    QRect plotArea() const;

    const ScheduleData &m_d;
    ResourceGraph m_graph;
};

class TStatNoteBookDlg : public QDialog
{
    Q_OBJECT

public:
    enum Page { EventsPage, ResourcesPage, VolumesPage, FilesPage, TimetablesPage, GraphsPage };
    // `filePath` is the data file the set was read from or saved to (empty: never saved).
    TStatNoteBookDlg(const ScheduleData &d, bool countBookings, const QString &filePath = {},
                     QWidget *parent = nullptr);

    QTabWidget *pages() const { return m_pages; }
    QTableWidget *table(StatKind kind) const;
    QComboBox *resourceChoice() const { return m_resource; }
    WeekGraph *graphView() const { return m_graph; }
    const Statistics &statistics() const { return m_stats; }

private:
    QWidget *buildTablePage(StatKind kind);
    QWidget *buildVolumesPage();
    QWidget *buildFilesPage(const QString &filePath);
    QWidget *buildTimetablesPage();
    QWidget *buildGraphsPage(bool countBookings);
    void showGraph();

    const ScheduleData &m_d;
    Statistics m_stats;
    QTabWidget *m_pages;
    QTableWidget *m_events = nullptr;
    QTableWidget *m_resources = nullptr;
    QComboBox *m_resource = nullptr;
    QCheckBox *m_countBookings = nullptr;
    WeekGraph *m_graph = nullptr;
    QLabel *m_graphHint = nullptr;
};

// Options|Statistics, Summary info, Health check, Maximum weekly periods and Timetable quality.
void bindStatisticsCommand(FrameCommand &row, TFrameForm &frame);
void bindSummaryCommand(FrameCommand &row, TFrameForm &frame);
void bindHealthCommand(FrameCommand &row, TFrameForm &frame);
void bindMaximumWeeklyCommand(FrameCommand &row, TFrameForm &frame);
void bindQualityCommand(FrameCommand &row, TFrameForm &frame);

} // namespace quivra
