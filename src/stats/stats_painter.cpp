#include "stats/stats_painter.h"

#include "platform/canvas.h"

namespace stats {

void apply_scale(Canvas& canvas, const StatsGraph& graph)
{
    const QRectF r = graph.coordinates();
    canvas.scale(r.left(), r.top(), r.right(), r.bottom());
}

void draw_graph(Canvas& canvas, const Histogram& h, const StatsGraph& graph, std::vector<float>* drawn)
{
    if (graph.kind() == GraphKind::Pdf)
        draw_pdf(canvas, h, graph);
    else
        draw_cdf(canvas, h, graph, drawn);
}

void draw_pdf(Canvas& canvas, const Histogram& h, const StatsGraph& graph)
{
    if (h.total() == 0)
        return;
    const double b = graph.bucket_size();
    const ScaleWindow& w = graph.window();
    const int first = clamp_bucket((kScaleTopDbm - w.top) / b - 0.5);
    const int last = clamp_bucket((kScaleTopDbm - w.bottom) / b + 0.5);
    const double right = w.stop / 100.0;
    const double n = double(h.total());
    canvas.set_current(0, first);
    bool in_gap = false;
    int gap_start = first;
    for (int i = first; i <= last; ++i) {
        const qint64 c = h.counts()[std::size_t(i)];
        if (c == 0) {
            if (!in_gap) {
                canvas.line_to(0, i);
                in_gap = true;
                gap_start = i;
            }
            continue;
        }
        if (in_gap) {
            in_gap = false;
            canvas.line(0, gap_start, 0, i);
        }
        double f = double(c) / n;
        if (graph.rules().clip_pdf_at_stop && f > right)
            f = right;
        canvas.line_to(f, i);
        canvas.line_to(f, i + 1);
    }
}

void draw_cdf(Canvas& canvas, const Histogram& h, const StatsGraph& graph, std::vector<float>* drawn)
{
    if (h.total() == 0)
        return;
    if (drawn && drawn->size() < std::size_t(kBucketCount))
        drawn->resize(std::size_t(kBucketCount));
    const double b = graph.bucket_size();
    const ScaleWindow& w = graph.window();
    const bool upper = graph.kind() == GraphKind::OneMinusCdf;
    const int top = clamp_bucket((kScaleTopDbm - w.top) / b - 0.5);
    const long long bottom = round_even((kScaleTopDbm - w.bottom) / b - 0.5);
    const double left = w.start / 100.0, right = w.stop / 100.0;
    const double n = double(h.total());
    double prev_x = upper ? 1.0 : 0.0;
    double cum = 0, y = 0;
    bool first = true, had_samples = false;
    double anchor_row = 0, last_row = 0;
    for (int i = kLastBucket; i >= top; --i) {
        const qint64 c = h.counts()[std::size_t(i)];
        if (c == 0) {
            if (drawn)
                (*drawn)[std::size_t(i)] = float(prev_x);
            continue;
        }
        cum += double(c) / n;
        if (upper) {
            y = 1.0 - cum;
            if (y <= left)
                y = left;
        } else {
            y = cum;
            if (y >= right)
                y = right;
        }
        if (drawn)
            (*drawn)[std::size_t(i)] = float(y);
        const bool visible = y >= left && y <= right && i <= bottom;
        if (!visible) {
            anchor_row = i;
            prev_x = y;
        } else if (first) {
            if (!had_samples)
                anchor_row = i + 1;
            canvas.line(prev_x, anchor_row, y, anchor_row);
            canvas.line_to(y, i);
            first = false;
            prev_x = y;
            last_row = i;
        } else {
            canvas.line(prev_x, last_row, y, last_row);
            canvas.line(y, last_row, y, i);
            prev_x = y;
            last_row = i;
        }
        had_samples = true;
    }
    // Close the curve at the top edge (only when some of it was drawn).
    if (!first)
        canvas.line_to(y, graph.top_row());
}

}  // namespace stats
