#include "cdma/cdma_collection.h"

#include "util/number_text.h"

#include <cmath>

namespace cdma {
namespace {

const QString power_pattern = QStringLiteral("##0.000");

}  // namespace

void Collection::reset(qint64 now_us)
{
    histogram_.clear();
    sample_count_ = 0;
    peak_average_ = 0;
    reading_average_ = 0;
    run_start_us_ = now_us;
    elapsed_us_ = 0;
    carried_us_ = 0;
    shown_elapsed_us_ = 0;
}

void Collection::set_bucket_size(float size, qint64 now_us)
{
    histogram_.set_bucket_size(size);
    reset(now_us);
}

void Collection::set_readings_per_pass(int readings, qint64 now_us)
{
    readings_per_pass_ = readings == 1 ? 1 : 2;
    reset(now_us);
}

void Collection::start_run(qint64 now_us) { run_start_us_ = now_us; }

void Collection::end_run() { carried_us_ = elapsed_us_; }

void Collection::add_pass(double peak, double average)
{
    if (readings_per_pass_ == 2)
        histogram_.add(float(average));
    const double n = double(sample_count_);
    reading_average_ = float((double(reading_average_) * n + average) / (n + 1));
    histogram_.add(float(peak));
    peak_average_ = float((double(peak_average_) * n + peak) / (n + 1));
    ++sample_count_;
    last_crest_ = float(std::abs(peak - average));
    shown_elapsed_us_ = elapsed_us_;
    any_pass_ever_ = true;
}

SummaryTexts Collection::texts() const
{
    SummaryTexts t;
    if (any_pass_ever_)
        t.current_crest = numtext::format_single(last_crest_, power_pattern);
    if (sample_count_ == 0)
        return t;
    t.samples = numtext::format(double(sample_count_), QStringLiteral("###,###,###,###"));
    t.time = numtext::format(double(shown_elapsed_us_) / 60e6, QStringLiteral("#0.00"));
    t.peak = numtext::format_single(peak_average_, power_pattern);
    t.average = numtext::format_single(reading_average_, power_pattern);
    t.crest = numtext::format_single(std::abs(peak_average_ - reading_average_), power_pattern);
    return t;
}

void Collection::update_time(qint64 now_us) { elapsed_us_ = now_us + carried_us_ - run_start_us_; }

}  // namespace cdma
