#pragma once
#include "stats/amplitude_histogram.h"
#include "stats/stats_graph.h"

#include <vector>

class Canvas;

// Draws a statistics graph on any canvas (screen or printed page), in the fore colour, in the graph's
// coordinates (share across, bucket rows down).
namespace stats {

// Sets the canvas's user scale to the graph's coordinates.
void apply_scale(Canvas& canvas, const StatsGraph& graph);
// The shown kind; nothing without readings. For the cumulative kinds, drawn (when given, 7001 long)
// receives the value plotted for each bucket from 7000 up to the window's top, as drawn (held at the
// share window's edge).
void draw_graph(Canvas& canvas, const Histogram& h, const StatsGraph& graph, std::vector<float>* drawn = nullptr);
// The PDF: an outline of one bar per bucket at its share, joined along the zero axis over empty buckets.
void draw_pdf(Canvas& canvas, const Histogram& h, const StatsGraph& graph);
// The CDF or 1-CDF: a staircase built up from the lowest power.
void draw_cdf(Canvas& canvas, const Histogram& h, const StatsGraph& graph, std::vector<float>* drawn = nullptr);

}  // namespace stats
