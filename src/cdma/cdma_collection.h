#pragma once
#include "stats/amplitude_histogram.h"

#include <QString>
#include <QtGlobal>

// What the Peak CDF/PDF window collects: each pass's held peak (and, when averages are included, its
// average reading) in the amplitude histogram, the running means of both, the crest factors, the number
// of passes and the collection time, with the summary texts as they are shown.
namespace cdma {

struct SummaryTexts {
    QString samples = QStringLiteral("0");      // "Samples Collected"
    QString peak = QStringLiteral("N/A");       // "Avg. of peaks", dBm
    QString average = QStringLiteral("N/A");    // "Average", dBm
    QString crest = QStringLiteral("N/A");      // "Crest Factor"
    QString current_crest = QStringLiteral("N/A");  // "Current Crest Factor"
    QString time = QStringLiteral("N/A");       // "Time Taken", mins
};

class Collection {
public:
    Collection() : histogram_(0.01f) {}

    // Empties everything and starts the time again from now; the current crest factor keeps its text.
    void reset(qint64 now_us);
    // A new bucket size or a new number of readings per pass empties the collection.
    void set_bucket_size(float size, qint64 now_us);
    void set_readings_per_pass(int readings, qint64 now_us);

    // A run's start and end: the time of earlier runs since the reset carries over.
    void start_run(qint64 now_us);
    void end_run();
    // One counted pass: the readings into the histogram, the means and the crest factors. The time shown
    // with it is the time as it stood before this pass.
    void add_pass(double peak, double average);
    // The collection time after a pass.
    void update_time(qint64 now_us);

    const stats::Histogram& histogram() const { return histogram_; }
    qint64 sample_count() const { return sample_count_; }
    int readings_per_pass() const { return readings_per_pass_; }
    float bucket_size() const { return histogram_.bucket_size(); }
    float peak_average() const { return peak_average_; }
    float reading_average() const { return reading_average_; }
    float last_crest() const { return last_crest_; }
    // Collection time in seconds.
    double elapsed_s() const { return double(elapsed_us_) / 1e6; }
    // The summary as shown: "0" and "N/A" until a pass has been counted since the reset; the current
    // crest factor keeps its text over a reset. Made when asked for, not on every pass.
    SummaryTexts texts() const;

private:
    stats::Histogram histogram_;
    qint64 sample_count_ = 0;
    int readings_per_pass_ = 2;
    float peak_average_ = 0;
    float reading_average_ = 0;
    float last_crest_ = 0;
    // Monotonic: a run over midnight keeps its time.
    qint64 run_start_us_ = 0;
    qint64 elapsed_us_ = 0;
    qint64 carried_us_ = 0;
    qint64 shown_elapsed_us_ = 0;
    bool any_pass_ever_ = false;
};

}  // namespace cdma
