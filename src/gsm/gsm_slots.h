#pragma once
#include "frame/trace_block.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <variant>
#include <vector>

// Rules of the GSM slot window, apart from the window: the TDMA frame description, the split of a trace
// into slot averages, the texts shown and saved, and the check of a typed configuration.
namespace gsm {

// The frame the window splits; each load of the window starts from these defaults.
struct FrameDescription {
    int gsm_slots = 8;
    float gsm_slot_width = 575.0f;  // us
    int gsm_exclude_start = 20;     // % of each slot left out after its start
    int gsm_exclude_end = 10;       // % left out before its end
    bool operator==(const FrameDescription&) const = default;
};

// "GRPRD 4.6ms": one frame as the meter's capture period.
QString frame_period_command(const FrameDescription& frame);

// The trace points slot (0-based) averages: j + W x slot rounded half to even, for the whole numbers j
// from Int(W x start %) + 1 up to W - Int(W x end %), W = 200 / slots. Points past 199 are left out.
std::vector<int> slot_points(const FrameDescription& frame, int slot);

// One average per slot: the plain mean of the dBm values of its points. A slot left with no points has
// no value. trace_dbm holds the 200 points.
using SlotAverages = std::vector<std::optional<float>>;
SlotAverages split_slots(const float* trace_dbm, const FrameDescription& frame);
// A block's points (1/1024 dB) in dBm.
std::vector<float> trace_dbm(const TracePoints& points);

// "-12.5dBm" ("#0.0#" and "dBm"); "N/A" for a slot without points.
QString slot_label_text(const std::optional<float>& average);
// "Slot 3: -12.5dBm", for the slot under the mouse (numbered from 1).
QString mouse_label_text(int slot, const std::optional<float>& average);
// The slot (1-based) under graph x, or none outside the slots.
std::optional<int> slot_at(double x, int slot_count);

// Averaging menu item n (0 "OFF", 1..9 for 1..256 traces): the commands it sends, in order.
QStringList averaging_commands(int item);
inline const QStringList kAveragingItems{QStringLiteral("OFF"), QStringLiteral("1"),  QStringLiteral("2"),
                                         QStringLiteral("4"),   QStringLiteral("8"),  QStringLiteral("16"),
                                         QStringLiteral("32"),  QStringLiteral("64"), QStringLiteral("128"),
                                         QStringLiteral("256")};

// The configuration window's texts for a frame, and the frame its typed texts give. A refusal says why in
// a sentence for the user and names the box to correct (0 slots, 1 width, 2 exclude in, 3 exclude out).
struct ConfigTexts {
    QString slot_count, width, exclude_in, exclude_out;
};
ConfigTexts config_texts(const FrameDescription& frame);
struct Refusal {
    QString text;
    int field = 0;
};
std::variant<FrameDescription, Refusal> parse_config(const ConfigTexts& texts);

// The slot data file, each line ended by CR LF. date_text is the date as the desktop writes it; its
// numbers are in their shortest form with the desktop's decimal_point.
QString data_file_text(const FrameDescription& frame, const SlotAverages& averages, const QString& date_text,
                       const QString& comment, const QString& decimal_point);
// The comment offered for the file.
QString default_comment(const FrameDescription& frame);

}  // namespace gsm
