#pragma once

// GapGraphView: the graph of gaps on the optimisation dialog's Statistics page, one short bar
// per cycle of the run for the total and for every resource category that carries weight, each
// in its category's colour, scaled to the largest starting value, with a legend of the
// categories drawn.

#include "optimise/optimisationsession.h"

#include <QColor>
#include <QStringList>
#include <QWidget>

#include <array>

namespace quivra {

// The colour of series k: 0 the total, 1..7 the resource categories.
QColor gapSeriesColour(int k);

class GapGraphView : public QWidget
{
    Q_OBJECT

public:
    explicit GapGraphView(QWidget *parent = nullptr);

    // The series to draw (a copy; the run goes on changing its own) and the legend: entry k the
    // name of category k, empty for a category not drawn.
    void setGraph(const GapGraph &graph);
    void setLegend(const std::array<QString, MaxCategories + 1> &names);
    const GapGraph &graph() const { return m_graph; }
    // Points drawn by the last paint, over every series; for checks of what reached the screen.
    int pointsDrawn() const { return m_pointsDrawn; }

    QSize sizeHint() const override { return {380, 160}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    GapGraph m_graph;
    std::array<QString, MaxCategories + 1> m_legend;
    int m_pointsDrawn = 0;
};

} // namespace quivra
