#include "readout/readout_rules.h"

#include "frame/meter_limits.h"
#include "util/number_text.h"

namespace readout {

namespace {

const char* const channel_labels[channel_count] = {"A", "B", "A-B", "B-A", "A/B", "B/A"};
const int update_counts[update_item_count] = {500, 100, 50, 25, 10, 5, 1};

}  // namespace

QString channel_label(int channel_index)
{
    if (channel_index < 0 || channel_index >= channel_count)
        channel_index = 0;
    return QLatin1String(channel_labels[channel_index]);
}

QString measure_command(int channel_index) { return QStringLiteral("CHCFG 1, ") + channel_label(channel_index); }

QString placeholder_text(int channel_index) { return channel_label(channel_index) + QStringLiteral(" --.--- dBm"); }

QByteArray place_reading(const QByteArray& reply)
{
    QByteArray buffer = reply.left(reading_buffer_size);
    if (buffer.size() < reading_buffer_size)
        buffer.append(QByteArray(reading_buffer_size - buffer.size(), ' '));
    return buffer;
}

bool is_reading(const QByteArray& buffer) { return numtext::val_finite_single(buffer).has_value(); }

QString reading_text(int channel_index, const QByteArray& buffer)
{
    return channel_label(channel_index) + QLatin1Char(' ') +
           numtext::format(numtext::val(buffer), QStringLiteral("###0.000")) + QStringLiteral(" dBm");
}

RateFigures rate_figures(qint64 elapsed_us, int readings)
{
    RateFigures r;
    if (readings <= 0) {
        r.avg_time = QStringLiteral("N/A");
        r.rdgs_per_sec = QStringLiteral("N/A");
        return r;
    }
    r.ms_per_reading = float(double(elapsed_us) / 1000.0 / readings);
    r.avg_time = numtext::format_single(r.ms_per_reading, QStringLiteral("###0.00"));
    if (r.ms_per_reading > 0)
        r.rdgs_per_sec = numtext::format(1.0 / (double(r.ms_per_reading) * 0.001), QStringLiteral("##0"));
    else
        r.rdgs_per_sec = QStringLiteral("N/A");
    return r;
}

int update_count_for_item(int item)
{
    if (item < 0 || item >= update_item_count)
        return update_counts[2];
    return update_counts[item];
}

int update_item_for_count(int count)
{
    for (int i = 0; i < update_item_count; ++i)
        if (update_counts[i] == count)
            return i;
    return -1;
}

QString sensor_letter(int sensor_index) { return sensor_index == 0 ? QStringLiteral("A") : QStringLiteral("B"); }

QStringList averaging_items()
{
    return {QStringLiteral("OFF"), QStringLiteral("AUTO"), QStringLiteral("1"),  QStringLiteral("2"),
            QStringLiteral("4"),   QStringLiteral("8"),    QStringLiteral("16"), QStringLiteral("32"),
            QStringLiteral("64"),  QStringLiteral("128"),  QStringLiteral("256")};
}

int averaging_count(const QString& item_text)
{
    if (item_text == QLatin1String("AUTO"))
        return -1;
    return numtext::cint(numtext::val(item_text));
}

QStringList range_hold_items()
{
    return {QStringLiteral("Auto"), QStringLiteral("1"), QStringLiteral("2"),
            QStringLiteral("3"),    QStringLiteral("4"), QStringLiteral("5")};
}

QString range_hold_command(int sensor_index, int range_index)
{
    return QStringLiteral("RGH ") + sensor_letter(sensor_index) + QStringLiteral(", ") + QString::number(range_index);
}

QString sensor_mode_command(int option_index)
{
    static const char* const modes[3] = {"DEFAULT", "MOD", "CUSTOM"};
    const int sensor = option_index < 3 ? 0 : 1;
    const int mode = ((option_index % 3) + 3) % 3;
    return QStringLiteral("SENMM ") + sensor_letter(sensor) + QStringLiteral(", ") + QLatin1String(modes[mode]);
}

QStringList trigger_source_items()
{
    return {QStringLiteral("Continuous"), QStringLiteral("External TTL"), QStringLiteral("Interal Sensor A"),
            QStringLiteral("Interal Sensor B")};
}

QString trigger_source_name(int source_index)
{
    switch (source_index) {
    case 1: return QStringLiteral("EXTTTL");
    case 2: return QStringLiteral("INTA");
    case 3: return QStringLiteral("INTB");
    default: return QStringLiteral("CONT");
    }
}

QString trigger_source_command(int source_index)
{
    return QStringLiteral("TRGSRC 1, ") + trigger_source_name(source_index);
}

bool edge_options_enabled(int source_index) { return source_index >= 1; }

QString trigger_edge_command(int edge_index)
{
    const QString edge = edge_index == 1 ? QStringLiteral("FALL") : QStringLiteral("RISE");
    return QStringLiteral("GTTYP ") + edge + QStringLiteral("; GTXTTL ") + edge + QStringLiteral("; TRGXTTL 1, ") + edge;
}

QString trigger_level_command(double level_dbm) { return QStringLiteral("TRGLVL 1,") + numtext::str_double(level_dbm); }

// A delay of 0 is the meter's own after a reset.
constexpr entry::Limits kTriggerDelay{0.0, DBL_MAX, false};

std::optional<QString> trigger_delay_command(const QString& box_text)
{
    return entry::command(QStringLiteral("TRGDLY 1, "), box_text, kTriggerDelay);
}

std::optional<QString> trigger_width_command(const QString& box_text)
{
    return entry::command(QStringLiteral("TRGGW 1, "), box_text, entry::kAboveZero);
}

QString rfcal_command(bool on) { return on ? QStringLiteral("RFCAL ON") : QStringLiteral("RFCAL OFF"); }

bool custom_frame_visible(bool sensor_a_custom, bool sensor_b_custom, int channel_index)
{
    const bool uses_a = channel_index == 0 || (channel_index >= 2 && channel_index <= 5);
    const bool uses_b = channel_index >= 1 && channel_index <= 5;
    return (sensor_a_custom && uses_a) || (sensor_b_custom && uses_b);
}

QString setup_command(bool serial_link)
{
    return serial_link ? QStringLiteral("*RST; OPMD DIGIT") : QStringLiteral("*RST; OPMD DIGIT;DISP ON; FAST OFF");
}

QString leave_command(bool serial_link)
{
    return serial_link ? QStringLiteral("*CLS;*ESE 49;*SRE 48;OPMD DIGIT")
                       : QStringLiteral("*CLS;*ESE 49;*SRE 48;OPMD DIGIT;DISP ON;FAST OFF");
}

bool has_reading_mode(const QString& meter_model)
{
    return meter_model == QLatin1String("RQ5822K") || meter_model == QLatin1String("RQ5821K");
}

bool reading_mode_needs_change(const QString& reply) { return reply.contains(QLatin1String("CDMA")); }

QString fastest_first_command()
{
    return QStringLiteral("*CLS;*ESE 49;*SRE 48;AVG A,OFF,;AVGLL A,OFF;") + QStringLiteral("CFSRC A,MAN;SENSTL A,10.0;") +
           QStringLiteral("DISP OFF");
}

QString fastest_second_command(bool two_input)
{
    if (!two_input)
        return QStringLiteral("*OPC");
    return QStringLiteral("AVG B,OFF,;AVGLL B,OFF;") + QStringLiteral("CFSRC B,MAN;SENSTL B,10.0;") +
           QStringLiteral("*OPC");
}

QRect fit_to_work_area(const QRect& window, const QRect& work_area)
{
    QRect r = window;
    if (work_area.height() < window.height()) {
        r.moveTop(work_area.top());
        r.setHeight(work_area.height());
    }
    if (work_area.width() < window.width()) {
        r.moveLeft(work_area.left());
        r.setWidth(work_area.width());
    }
    return r;
}

}  // namespace readout
