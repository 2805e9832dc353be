#pragma once
#include <QDateTime>
#include <QString>

namespace module1 {
struct SensorTypes;
}

namespace cdma {

class Collection;

// The statistics data file: date and time, the meter's identity, the summary as shown, then one row per
// bucket over 70 dB: index, power, share of all readings, count, the share at or below the bucket (from
// the histogram, whatever graph is shown) and its complement.
QString stats_file_text(const QDateTime& now, const module1::SensorTypes& ids, const Collection& collection);

}  // namespace cdma
