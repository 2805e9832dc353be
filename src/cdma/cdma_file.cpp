#include "cdma/cdma_file.h"

#include "cdma/cdma_collection.h"
#include "frame/data_file.h"
#include "frame/meter_routines.h"
#include "util/number_text.h"

#include <algorithm>
#include <vector>

namespace cdma {

QString stats_file_text(const QDateTime& now, const module1::SensorTypes& ids, const Collection& collection)
{
    const stats::Histogram& h = collection.histogram();
    const SummaryTexts s = collection.texts();
    data_file::Text t;
    t.append(data_file::short_date_time_line(now));
    t.line();
    t.append(module1::identity_header(ids));
    t.line();
    t.line(QStringLiteral("S"));
    t.fields({QStringLiteral("Number of Samples collected:"), numtext::cstr_int(collection.sample_count())});
    t.line();
    t.line(QStringLiteral("Average of Peaks: ") + s.peak);
    t.line(QStringLiteral("Total Average: ") + s.average);
    t.line(QStringLiteral("Crest Factor:") + s.crest);
    t.line(QStringLiteral("Time Taken: ") + s.time);
    t.line();
    t.fields({QStringLiteral("Point"), QStringLiteral("dBm"), QStringLiteral("Percentage"), QStringLiteral("total"),
              QStringLiteral("CDF"), QStringLiteral("1-CDF")});
    const float b = collection.bucket_size();
    // Int(70 / size) in the single precision the size is kept in: 70 / 0.1 is 700 there (699.99998 in
    // double), so the -50 dBm row is written.
    const float rows_over_70_db = 70.0f / b;
    const int last = int(std::min<long long>(stats::kLastBucket, numtext::int_floor(double(rows_over_70_db))));
    const double readings = double(collection.readings_per_pass()) * double(collection.sample_count());
    const double total = double(h.total());
    // Readings at or below each bucket, summed once from the lowest power up.
    std::vector<qint64> at_or_below(stats::kBucketCount + 1, 0);
    for (int i = stats::kLastBucket; i >= 0; --i)
        at_or_below[std::size_t(i)] = at_or_below[std::size_t(i) + 1] + h.count(i);
    for (int i = 0; i <= last; ++i) {
        const qint64 count = h.count(i);
        const float cdf = total > 0 ? float(double(at_or_below[std::size_t(i)]) / total) : 0.0f;
        t.fields({numtext::cstr_int(i), numtext::cstr_single(stats::bucket_power(i, b)),
                  numtext::cstr_double(readings > 0 ? double(count) / readings : 0.0), numtext::cstr_int(count),
                  numtext::cstr_single(cdf), numtext::cstr_single(1.0f - cdf)});
    }
    return t.text();
}

}  // namespace cdma
