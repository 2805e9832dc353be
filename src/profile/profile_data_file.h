#pragma once
#include "frame/meter_routines.h"

#include <QDateTime>
#include <QString>

// The profile graph's data file: a boxed comment, date and time, the meter's identity, the capture
// period, the cursor readings and the 200 trace points.
namespace profile_data_file {

struct Contents {
    QString comment;
    QDateTime now;
    module1::SensorTypes ids;
    QString period_ms;  // the capture-period box's text
    QString cursor1, cursor2, delta_power, delta_time, time_unit;
    const float* points = nullptr;  // 200 values in 1/1024 dB
};

QString text(const Contents& c);

}  // namespace profile_data_file
