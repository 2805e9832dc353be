#pragma once
#include "stats/amplitude_histogram.h"
#include "stats/stats_graph.h"

#include <QString>

class Canvas;

// The printed Peak CDF/PDF page: the shown graph with its power and share axes, the summary lines under
// it and the title above, laid out in the graph's own coordinates widened so that the graph fills the
// middle 80 % of the page.
namespace cdma {

// The window's texts the page carries, as shown.
struct PageTexts {
    QString samples, on_screen;
    QString cursor_share, above_or_below, cursor_power;
    QString time, peak, average, crest;
    QString start, stop;
    QString title;
};

// "PDF", "CDF" or "1-CDF", with " - " and the comment when there is one.
QString page_title(int kind, const QString& comment);
void draw_page(Canvas& page, const stats::Histogram& histogram, const stats::StatsGraph& graph, const PageTexts& texts);

}  // namespace cdma
