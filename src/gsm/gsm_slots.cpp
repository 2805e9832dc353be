#include "gsm/gsm_slots.h"

#include "util/entry_rule.h"
#include "util/number_text.h"

#include <cmath>

namespace gsm {

namespace {

constexpr int kPoints = trace_block::kPoints;
const QString kCrLf = QStringLiteral("\r\n");
const QString kTab = QStringLiteral("\t");

// Whole numbers j of a slot's share, before the offset of the slot.
struct Share {
    double w = 0;
    int first = 1;
    double last = 0;
};

Share share_of(const FrameDescription& frame)
{
    Share s;
    s.w = double(kPoints) / frame.gsm_slots;
    s.first = int(std::floor(s.w * frame.gsm_exclude_start / 100.0)) + 1;
    s.last = s.w - std::floor(s.w * frame.gsm_exclude_end / 100.0);
    return s;
}

// A typed whole number as the configuration stores it (16-bit, halves to even); none when not a number.
std::optional<int> whole_number(const QString& text)
{
    const auto n = entry::sendable(text, {-32768.5, 32767.5});
    if (!n)
        return std::nullopt;
    return numtext::cint(n->value);
}

// One frame in ms, as the period command writes it.
double frame_period_ms(const FrameDescription& frame)
{
    return double(frame.gsm_slots) * double(frame.gsm_slot_width) / 1000.0;
}

}  // namespace

QString frame_period_command(const FrameDescription& frame)
{
    return QStringLiteral("GRPRD ") + numtext::cstr_single(float(frame_period_ms(frame))) + QStringLiteral("ms");
}

std::vector<int> slot_points(const FrameDescription& frame, int slot)
{
    std::vector<int> out;
    if (frame.gsm_slots < 1)
        return out;
    const Share s = share_of(frame);
    for (int j = s.first; j <= s.last; ++j) {
        const int index = numtext::cint(j + s.w * slot);
        if (index >= 0 && index < kPoints)
            out.push_back(index);
    }
    return out;
}

SlotAverages split_slots(const float* trace, const FrameDescription& frame)
{
    SlotAverages out;
    for (int i = 0; i < frame.gsm_slots; ++i) {
        const std::vector<int> points = slot_points(frame, i);
        if (points.empty()) {
            out.emplace_back();
            continue;
        }
        double sum = 0;
        for (int k : points)
            sum += trace[k];
        out.emplace_back(float(sum / double(points.size())));
    }
    return out;
}

std::vector<float> trace_dbm(const TracePoints& points)
{
    std::vector<float> out(kPoints);
    for (int k = 0; k < kPoints; ++k)
        out[std::size_t(k)] = points[std::size_t(k)] / 1024.0f;
    return out;
}

QString slot_label_text(const std::optional<float>& average)
{
    if (!average)
        return QStringLiteral("N/A");
    return numtext::format_single(*average, QStringLiteral("#0.0#")) + QStringLiteral("dBm");
}

QString mouse_label_text(int slot, const std::optional<float>& average)
{
    return QStringLiteral("Slot ") + QString::number(slot) + QStringLiteral(": ") + slot_label_text(average);
}

std::optional<int> slot_at(double x, int slot_count)
{
    if (!(x >= 0) || x >= slot_count)
        return std::nullopt;
    return int(x) + 1;
}

QStringList averaging_commands(int item)
{
    if (item <= 0)
        return {QStringLiteral("GRSWS OFF")};
    return {QStringLiteral("GRSWS ON"), QStringLiteral("GRSWP A, ") + numtext::cstr_int(1LL << (item - 1))};
}

ConfigTexts config_texts(const FrameDescription& frame)
{
    return {numtext::cstr_int(frame.gsm_slots), numtext::cstr_single(frame.gsm_slot_width),
            numtext::cstr_int(frame.gsm_exclude_start), numtext::cstr_int(frame.gsm_exclude_end)};
}

std::variant<FrameDescription, Refusal> parse_config(const ConfigTexts& texts)
{
    FrameDescription f;
    const auto slot_count = whole_number(texts.slot_count);
    if (!slot_count || *slot_count < 1 || *slot_count > kPoints)
        return Refusal{QStringLiteral("The number of slots must be a whole number from 1 to 200."), 0};
    f.gsm_slots = *slot_count;
    const auto width = entry::sendable(texts.width, entry::kAboveZero);
    if (!width || !entry::fits_single(width->value))
        return Refusal{QStringLiteral("The slot width must be a number of microseconds above 0."), 1};
    f.gsm_slot_width = float(width->value);
    // 1e-40 us slots would send a frame period of 8E-43 ms, 1e-44 us one of 0.
    if (!entry::fits_single(width->value, entry::kAboveZero) ||
        !entry::fits_single(frame_period_ms(f), entry::kAboveZero))
        return Refusal{QStringLiteral("The slot width is too small for a frame period the meter can take."), 1};
    const auto in = whole_number(texts.exclude_in);
    if (!in || *in < 0 || *in > 100)
        return Refusal{QStringLiteral("Exclude in must be a whole number of percent from 0 to 100."), 2};
    f.gsm_exclude_start = *in;
    const auto out = whole_number(texts.exclude_out);
    if (!out || *out < 0 || *out > 100)
        return Refusal{QStringLiteral("Exclude out must be a whole number of percent from 0 to 100."), 3};
    f.gsm_exclude_end = *out;
    for (int i = 0; i < f.gsm_slots; ++i)
        if (slot_points(f, i).empty())
            return Refusal{QStringLiteral("These settings leave no trace point in a slot.") + kCrLf +
                               QStringLiteral("Please use fewer slots or smaller exclusions."),
                           2};
    return f;
}

QString data_file_text(const FrameDescription& frame, const SlotAverages& averages, const QString& date_text,
                       const QString& comment, const QString& decimal_point)
{
    const auto number = [&](float v) { return numtext::with_decimal_point(numtext::cstr_single(v), decimal_point); };
    const auto us = [&](float v) { return number(v) + kTab + QStringLiteral("us"); };
    QStringList lines{
        QStringLiteral("TDMA Slot Data"),
        date_text,
        QString(),
        comment,
        QString(),
        QStringLiteral("Slots: ") + kTab + numtext::cstr_int(frame.gsm_slots),
        QStringLiteral("Slot Width: ") + kTab + us(frame.gsm_slot_width),
        QStringLiteral("Exclude into slot: ") + kTab + us(frame.gsm_slot_width * float(frame.gsm_exclude_start) / 100.0f),
        QStringLiteral("Exclude just before end of slot: ") + kTab +
            us(frame.gsm_slot_width * float(frame.gsm_exclude_end) / 100.0f),
        QString(),
        QStringLiteral("Slot") + kTab + QStringLiteral("Average Power (dBm)"),
    };
    for (int n = 1; n <= frame.gsm_slots; ++n) {
        const auto& a = std::size_t(n - 1) < averages.size() ? averages[std::size_t(n - 1)] : std::optional<float>();
        lines << numtext::cstr_int(n) + kTab + (a ? number(*a) : QStringLiteral("N/A"));
    }
    return lines.join(kCrLf) + kCrLf;
}

QString default_comment(const FrameDescription& frame)
{
    return frame.gsm_slots == 8 ? QStringLiteral("GSM signal") : QString();
}

}  // namespace gsm
