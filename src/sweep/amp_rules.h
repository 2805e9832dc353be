#pragma once
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

// The amplifier gain and compression test, apart from the window: gain and input 1 dB compression point
// from one level-sweep trace of B/A, the frequency plan of a run, the results of a run and the offset
// commands.
namespace amp_rules {

constexpr int kMaxPoints = 5000;
constexpr float kNoCompression = -128.0f;
constexpr int kGainPoints = 20;

// Gain: the mean of trace points 0 to 19, in dB.
double gain_db(const float* trace);
// "20.000 dB"
QString gain_text(double gain);
// The input level of the first point whose gain has fallen by 1 dB or more from gain (as shown, three
// decimals), on the level axis left..right; none when no point has.
std::optional<double> compression_dbm(const float* trace, const QString& gain_shown, double left, double right);
// "-9.900 dBm", or "N/A".
QString compression_text(const std::optional<double>& dbm);

// One point of the test: the readouts' texts and the values a run keeps from them.
struct Measured {
    QString gain_text;
    QString compression_text;
    float gain = 0;
    float compression = kNoCompression;
};
// The point of a trace on the level axis left..right; none when a figure is not a finite single-precision
// number: such a point is garbled and never kept.
std::optional<Measured> measure(const float* trace, double left, double right);

// The frequencies of a run, start + k x step up to stop, or the refusal's box (text and title).
struct Refusal {
    QString text;
    QString title;
};
struct Plan {
    QString start;  // the start box's text as the commands carry it: trimmed
    std::vector<double> frequencies;
    std::optional<Refusal> refusal;
};
// Only what the entry rule lets out goes on: a start or stop that is no finite number, or a start not
// above 0, is refused.
Plan frequency_plan(const QString& start, const QString& stop, const QString& step);
// A single-frequency test of the start box alone: that frequency, or the start's refusal.
Plan single_plan(const QString& start);

// "F1 .05 GH", "CFFRQ A, .05GHZ" style commands of one frequency of a run.
QString generator_frequency_command(double ghz);
QString meter_frequency_command(const QString& sensor, double ghz);

// The offset commands of a sensor: kind 1 fixed, 2 table, otherwise off.
QStringList offset_commands(const QString& sensor, int kind, double fixed_db, int table);

// The results of a frequency run: one point for each frequency with a fresh trace, with its own frequency.
class Results {
public:
    // A new run: no points, both ranges afresh.
    void clear() { *this = Results{}; }
    void add(double ghz, float gain, float compression);
    int count() const { return int(points_.size()); }
    bool empty() const { return points_.empty(); }
    double frequency(int i) const { return points_[std::size_t(i)].ghz; }
    float gain(int i) const { return points_[std::size_t(i)].gain; }
    float compression(int i) const { return points_[std::size_t(i)].compression; }
    float gain_max() const { return gain_max_; }
    float gain_min() const { return gain_min_; }
    // The compression range of the run; none when no point compressed.
    bool has_compression_range() const { return comp_valid_; }
    float comp_max() const { return comp_max_; }
    float comp_min() const { return comp_min_; }

private:
    struct Point {
        double ghz;
        float gain;
        float compression;
    };
    std::vector<Point> points_;
    float gain_max_ = 0, gain_min_ = 0, comp_max_ = 0, comp_min_ = 0;
    bool comp_valid_ = false;
};

// Cursor readout of point i: gain and compression in the general form ("N/A" without compression) and
// the point's frequency "##0.000" ("N/A" without points).
struct Readout {
    QString gain;
    QString compression;
    QString frequency;
};
Readout cursor_readout(const Results& r, int i);

}  // namespace amp_rules
