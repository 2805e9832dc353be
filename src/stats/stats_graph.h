#pragma once
#include "stats/amplitude_histogram.h"

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <array>
#include <optional>
#include <vector>

// The statistics graph of an amplitude histogram: PDF, CDF or 1-CDF, power down the vertical axis
// (one row per bucket) and the share across. This is the graph's state and rules, without widgets: the
// applied power and share windows, the cursor bucket, the box texts that the scale buttons and the zoom
// box write, and the readouts.
namespace stats {

enum class GraphKind { Pdf = 0, Cdf = 1, OneMinusCdf = 2 };

// What the windows showing these graphs do differently.
struct GraphRules {
    // The bottom edge takes in the bottom bucket's whole row, rather than ending at its index.
    bool whole_bottom_row = true;
    // A PDF share beyond the share window's right edge is drawn at the edge.
    bool clip_pdf_at_stop = false;
    // Widening the share axis from a span above 90 % shows the whole axis rather than beeping.
    bool widen_to_whole = false;
    // "% on screen" of the cumulative graphs is the difference of the cumulative shares at the two ends
    // of the cursor range, rather than the share of readings in the shown power window.
    bool on_screen_cdf_difference = false;

    static GraphRules profile() { return {}; }
    static GraphRules peak_cdf() { return {false, true, true, true}; }
};

// The power window (dBm) and the share window (percent).
struct ScaleWindow {
    double top = 20, bottom = -50, start = 0, stop = 100;
    // Top at most 20, bottom at least -50, top above bottom, 0 <= start < stop <= 100.
    bool valid() const;
    bool operator==(const ScaleWindow&) const = default;
};

// One text the program writes into a scale box; writes come in order.
struct BoxWrite {
    enum Box { Top, Bottom, Start, Stop } box;
    QString text;
    bool operator==(const BoxWrite&) const = default;
};
using BoxWrites = std::vector<BoxWrite>;

class StatsGraph {
public:
    explicit StatsGraph(GraphRules rules = GraphRules::profile());

    const GraphRules& rules() const { return rules_; }
    float bucket_size() const { return bucket_size_; }
    void set_bucket_size(float size);

    // ---- windows ----
    const ScaleWindow& window() const { return window_; }
    // Applies w when it is valid (and stores its share window for the shown kind); otherwise the last
    // applied window stays. Returns whether w was applied.
    bool apply(const ScaleWindow& w);
    // The same from the four box texts; a text that is not a number is not a valid window.
    bool apply_texts(const QString& top, const QString& bottom, const QString& start, const QString& stop);
    // A scale box's text as a number: the whole text (blanks aside) must be one.
    static std::optional<double> box_number(const QString& text);

    GraphKind kind() const { return kind_; }
    // Shows another kind; returns the box writes that bring back its stored share window (stop, then start).
    BoxWrites set_kind(GraphKind kind);
    // "are at", "are below" or "are above".
    static QString above_or_below(GraphKind kind);
    // The stored share window of a kind: (start, stop) in percent.
    std::array<double, 2> stored_share(GraphKind kind) const { return shares_[std::size_t(kind)]; }

    // ---- coordinates and cursor ----
    // The graph's coordinate system: shares across (start/100 to stop/100), bucket rows down.
    QRectF coordinates() const;
    double top_row() const;
    double bottom_row() const;
    // The cursor's range: the buckets of the top and the bottom of the power window, clamped.
    int cursor_first() const;
    int cursor_last() const;
    int cursor() const { return cursor_; }
    // Sets the cursor bucket, kept inside the cursor range.
    void set_cursor(int bucket);
    // The cursor line's height: the middle of its bucket's row.
    double cursor_row() const { return cursor_ + 0.5; }

    // ---- readouts ----
    // "-10.000 dBm": the power of the cursor bucket.
    QString power_text() const;
    // The share of readings the cursor bucket stands for in the shown kind ("12.5%"), "N/A" when empty.
    QString share_text(const Histogram& h) const;
    double cursor_share(const Histogram& h) const;
    // "% on screen"; nothing without readings (the label keeps its text).
    std::optional<QString> on_screen_text(const Histogram& h) const;
    double on_screen_share(const Histogram& h) const;
    // Moves the cursor to the fullest bucket of the power window (the first among equals); false when all
    // of them are empty and the cursor stays.
    bool jump_to_peak(const Histogram& h);

    // ---- scale buttons: the texts to write ----
    // Back to 20..-50 dBm and 0..100 % for every kind (bottom, top, stop, start).
    BoxWrites reset_scale();
    // Twice the power span about its middle, within 20..-50 (top, then bottom).
    BoxWrites zoom_out_power() const;
    // A tenth of the span down or up (the edge first, pinned to its limit when it would pass it).
    BoxWrites shift_down() const;
    BoxWrites shift_up() const;
    // A wider or narrower share window (the stop moves); beep when no step is left.
    struct ShareStep {
        std::optional<BoxWrite> write;
        bool beep = false;
    };
    ShareStep widen_share() const;
    ShareStep narrow_share() const;

    // ---- mouse ----
    // The cursor line is within reach of the pointer at row y.
    bool near_cursor(double y) const;
    // Dragging the cursor to row y: the new bucket, or nothing when y lies outside the range.
    std::optional<int> drag_target(double y) const;
    // A corner of the zoom box, kept inside the shown window.
    QPointF clamp_zoom_point(double x, double y) const;
    // The box writes that zoom into box (graph units): stop, start, bottom, top. Nothing when the box is
    // smaller than one pixel (pixel: a pixel's size in graph units) or would give no valid window.
    std::optional<BoxWrites> zoom_to(const QRectF& box, const QSizeF& pixel) const;

private:
    GraphRules rules_;
    float bucket_size_ = 0.1f;
    ScaleWindow window_;
    GraphKind kind_ = GraphKind::Pdf;
    std::array<std::array<double, 2>, 3> shares_{{{0, 100}, {0, 100}, {0, 100}}};
    int cursor_ = 0;
};

}  // namespace stats
