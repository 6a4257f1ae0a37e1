#include "shell/gapgraph.h"

#include <QPainter>

#include <algorithm>

namespace quivra {

QColor gapSeriesColour(int k)
{
    static constexpr std::array<QRgb, MaxCategories + 1> Colours{
        qRgb(64, 64, 64), // the total
        qRgb(255, 0, 0),   qRgb(0, 0, 255), qRgb(0, 128, 0), qRgb(128, 128, 0),
        qRgb(128, 0, 128), qRgb(0, 0, 128), qRgb(0, 0, 0),
    };
    return QColor(Colours[static_cast<std::size_t>(std::clamp(k, 0, MaxCategories))]);
}

GapGraphView::GapGraphView(QWidget *parent) : QWidget(parent)
{
    setMinimumSize(200, 100);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
}

void GapGraphView::setGraph(const GapGraph &graph)
{
    m_graph = graph;
    update();
}

void GapGraphView::setLegend(const std::array<QString, MaxCategories + 1> &names)
{
    m_legend = names;
    update();
}

void GapGraphView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    m_pointsDrawn = 0;
    const QFontMetrics fm = p.fontMetrics();

    // Legend on the right: the heading and one line per category drawn.
    int legendWidth = 0;
    QStringList lines;
    std::vector<int> lineSeries;
    if (!m_graph.series[0].empty()) {
        lines << tr("Total");
        lineSeries.push_back(0);
    }
    for (int k = 1; k <= MaxCategories; ++k) {
        if (m_legend[static_cast<std::size_t>(k)].isEmpty())
            continue;
        lines << m_legend[static_cast<std::size_t>(k)];
        lineSeries.push_back(k);
    }
    if (!lines.isEmpty()) {
        const QString heading = tr("Gaps of");
        legendWidth = fm.horizontalAdvance(heading);
        for (const QString &l : lines)
            legendWidth = std::max(legendWidth, fm.horizontalAdvance(l));
        legendWidth += 12;
        const int x = width() - legendWidth + 6;
        int y = fm.ascent() + 2;
        p.setPen(palette().color(QPalette::Text));
        p.drawText(x, y, heading);
        for (qsizetype i = 0; i < lines.size(); ++i) {
            y += fm.height();
            p.setPen(gapSeriesColour(lineSeries[static_cast<std::size_t>(i)]));
            p.drawText(x, y, lines[i]);
        }
    }

    int scale = m_graph.scale;
    for (const auto &s : m_graph.series)
        for (const int v : s)
            scale = std::max(scale, v);
    if (scale <= 0)
        return;
    const int plotWidth = std::max(width() - legendWidth, 10);
    const double rowHeight = height();
    const double step = std::max(plotWidth / double(GapGraph::MaxPoints + 1), 4.0);
    for (int k = 0; k <= MaxCategories; ++k) {
        const auto &s = m_graph.series[static_cast<std::size_t>(k)];
        // A category whose start is 0 had nothing to improve; only its flat line would show.
        if (s.empty() || (k > 0 && s.front() < 1))
            continue;
        p.setPen(QPen(gapSeriesColour(k), 2));
        for (std::size_t i = 0; i < s.size(); ++i) {
            const double x = step * static_cast<double>(i);
            const double y = rowHeight - 0.875 * rowHeight * s[i] / scale;
            p.drawLine(QPointF(x, y), QPointF(x + 4, y));
            ++m_pointsDrawn;
        }
    }
}

} // namespace quivra
