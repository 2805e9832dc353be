#pragma once
#include <QByteArray>
#include <QString>
#include <optional>

// The Peak CDF/PDF window's rules apart from its widgets: command texts, the answers of its entry boxes
// and the reading check of the run loop. Everything here is a plain function of its arguments.
namespace cdma {

// "Measure" items 0..5 configure both channels: A, B, A-B, B-A, A/B, B/A.
constexpr int measure_count = 6;
QString measure_word(int index);
// "CHCFG 1, A-B"
QString measure_command(int channel, int index);

// Peak hold items: 0 timed reset, 1 manual reset, 2 off.
constexpr int peak_timed = 0, peak_manual = 1, peak_off = 2;
// The answer to the hold-time box: its whole part (12.8 gives 12, 30.5 gives 30) from 1 to 30 s, else
// 5 s with a refusal that shows the whole part, or the answer as typed when its number is beyond a double.
struct PeakHoldTime {
    int seconds = 5;
    // The box to show first when the answer was refused; empty when it was taken.
    QString refusal;
};
PeakHoldTime peak_hold_time(const QString& answer);
QString peak_hold_caption(int seconds);
// "PCRT 12"
QString peak_hold_time_command(int seconds);

// "Change Bucket Size (0.25)"
QString bucket_caption(float bucket_size);
// A bucket-size answer: the size, or none when it is not a number from 0.01 to 1.
std::optional<float> bucket_size_answer(const QString& answer);

// Include-average question's title: "Exclude Average readings in Stats. anaylsis".
QString include_average_title(bool include);

// The largest size of a reading, in dB or dBm, that can be one. The summary shows powers as "##0.000":
// readings and their means below 500 show in its three whole digits, and so do crest factors (the
// difference of two, below 1000). No power meter reads near 500 dBm; a reply beyond it (3e38, whose
// difference with -3e38 no single holds) is garbled.
constexpr double kReadingLimit = 500;

// One reading of the run loop from its 20-character buffer. Nothing arrived (the link's error bit on
// GPIB, no byte at all on either link), a reply without a number or one whose size is kReadingLimit or
// more ("1e999", "3e38") is no reading.
std::optional<double> reading_of(const QByteArray& buffer, bool gpib, int ibsta, int ibcnt);

}  // namespace cdma
