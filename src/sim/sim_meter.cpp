#include "sim/sim_meter.h"
#include "sim/meter_sweep.h"

#include "platform/clock.h"
#include "sim/sim_generator.h"

#include <algorithm>
#include <limits>

namespace {

constexpr int esr_opc = 1;
constexpr int esr_query = 4;
constexpr int esr_execution = 16;
constexpr int esr_command = 32;
constexpr int stb_mav = 16;
constexpr int stb_esb = 32;
constexpr int stb_rqs = 64;
// The meter keeps this many errors; the last place then says the list overflowed.
constexpr int max_errors = 20;

const QString missing_parameter = QStringLiteral("-109,\"Missing parameter\"");
const QString data_type_error = QStringLiteral("-104,\"Data type error\"");
const QString illegal_value = QStringLiteral("-224,\"Illegal parameter value\"");
const QString out_of_range = QStringLiteral("-222,\"Data out of range\"");
const QString hardware_missing = QStringLiteral("-241,\"Hardware missing\"");

struct Unit {
    const char* name;
    double scale;
};
const Unit units[] = {
    {"S", 1},      {"SEC", 1},   {"MS", 1e-3}, {"US", 1e-6},  {"NS", 1e-9}, {"HZ", 1},     {"KHZ", 1e3},
    {"MHZ", 1e6},  {"GHZ", 1e9}, {"KH", 1e3},  {"MH", 1e6},   {"GH", 1e9},  {"DB", 1},     {"DBM", 1},
    {"DM", 1},     {"%", 1},     {"PCT", 1},   {"SPS", 1},
};

}  // namespace

SimMeter::SimMeter(Clock& clock, const BenchDescription& bench)
    : clock_(clock), bench_(bench), rng_(bench.seed), garble_rng_(bench.seed ^ 0x5A5A5A5Au)
{
    eval_us_ = clock_.now_us();
    install_core_commands(*this);
    install_readout_commands(*this);
    install_profile_commands(*this);
    install_sweep_commands(*this);
    install_gsm_commands(*this);
    install_cdma_commands(*this);
}

// ---- numbers -------------------------------------------------------------------------------------------

double SimMeter::number_arg(const QString& text, double bare_scale, bool* ok)
{
    if (ok)
        *ok = false;
    const QString t = text.trimmed();
    const int n = int(t.size());
    int i = 0;
    QString num;
    if (i < n && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-')))
        num += t[i++];
    int digits = 0;
    while (i < n && t[i].isDigit()) {
        num += t[i++];
        ++digits;
    }
    if (i < n && t[i] == QLatin1Char('.')) {
        num += t[i++];
        while (i < n && t[i].isDigit()) {
            num += t[i++];
            ++digits;
        }
    }
    if (digits == 0)
        return 0;
    if (i < n && (t[i] == QLatin1Char('e') || t[i] == QLatin1Char('E'))) {
        int j = i + 1;
        if (j < n && (t[j] == QLatin1Char('+') || t[j] == QLatin1Char('-')))
            ++j;
        if (j < n && t[j].isDigit()) {
            num += QStringLiteral("e") + t.mid(i + 1, j - i - 1);
            i = j;
            while (i < n && t[i].isDigit())
                num += t[i++];
        }
    }
    bool converted = false;
    const double v = num.toDouble(&converted);
    if (!converted)
        return 0;
    const QString unit = t.mid(i).trimmed().toUpper();
    double scale = bare_scale;
    if (!unit.isEmpty()) {
        const auto* u = std::find_if(std::begin(units), std::end(units),
                                     [&](const Unit& x) { return unit == QLatin1String(x.name); });
        if (u == std::end(units))
            return 0;
        scale = u->scale;
    }
    if (ok)
        *ok = true;
    return v * scale;
}

double SimMeter::noise(double sigma)
{
    if (sigma <= 0)
        return 0;
    std::normal_distribution<double> dist(0.0, sigma);
    return dist(rng_);
}

bool SimMeter::two_inputs() const
{
    return bench_.model == QLatin1String("RQ5812K") || bench_.model == QLatin1String("RQ5822K");
}

bool SimMeter::sensor_fitted(const QString& sensor) const
{
    const QString s = sensor.trimmed().toUpper();
    if (s == QLatin1String("A"))
        return !bench_.sensor_a_type.isEmpty();
    if (s == QLatin1String("B"))
        return two_inputs() && bench_.sensor_b_fitted;
    return false;
}

// ---- time ----------------------------------------------------------------------------------------------

void SimMeter::settle() const { const_cast<SimMeter*>(this)->process_due(clock_.now_us()); }

// The next time anything is due: queued input once the meter is free, an action, a reply coming ready;
// the largest time when nothing is.
qint64 SimMeter::earliest_event_us() const
{
    qint64 t = std::numeric_limits<qint64>::max();
    if (!input_.empty())
        t = std::max(busy_until_us_, eval_us_);
    for (const Action& a : actions_)
        t = std::min(t, a.at_us);
    if (!replies_.empty() && replies_.front().ready_at_us > eval_us_)
        t = std::min(t, replies_.front().ready_at_us);
    return t;
}

void SimMeter::process_due(qint64 now_us)
{
    if (processing_)
        return;
    processing_ = true;
    for (;;) {
        const qint64 t = earliest_event_us();
        if (t > now_us)
            break;
        eval_us_ = std::max(eval_us_, t);
        // Actions may schedule others: take them out one at a time.
        for (;;) {
            auto due = std::min_element(actions_.begin(), actions_.end(),
                                        [](const Action& a, const Action& b) { return a.at_us < b.at_us; });
            if (due == actions_.end() || due->at_us > eval_us_)
                break;
            const auto fn = std::move(due->fn);
            actions_.erase(due);
            command_time_us_ = std::max(eval_us_, busy_until_us_);
            fn(*this);
            update_srq();
        }
        run_input();
        update_srq();
    }
    eval_us_ = std::max(eval_us_, now_us);
    update_srq();
    processing_ = false;
}

void SimMeter::run_input()
{
    while (!input_.empty() && busy_until_us_ <= eval_us_) {
        const QString command = input_.front();
        input_.pop_front();
        command_time_us_ = eval_us_;
        execute(command);
        update_srq();
    }
}

void SimMeter::busy_for_ms(double ms)
{
    if (ms > 0)
        busy_until_us_ = std::max(busy_until_us_, command_time_us_ + qint64(ms * 1000.0 + 0.5));
}

void SimMeter::at(qint64 t_us, std::function<void(SimMeter&)> action)
{
    actions_.push_back(Action{t_us, std::move(action)});
}

qint64 SimMeter::next_event_us() const
{
    settle();
    const qint64 t = earliest_event_us();
    return t == std::numeric_limits<qint64>::max() ? -1 : t;
}

// ---- front-end interface -------------------------------------------------------------------------------

void SimMeter::receive_message(const QByteArray& message)
{
    settle();
    message_time_us_ = clock_.now_us();
    // A new message ends any query whose answer was not read.
    if (!replies_.empty()) {
        replies_.clear();
        query_error(QStringLiteral("-410,\"Query INTERRUPTED\""));
    }
    const QStringList commands = QString::fromLatin1(message).split(QLatin1Char(';'));
    for (const QString& c : commands) {
        const QString command = c.trimmed();
        if (!command.isEmpty())
            input_.push_back(command);
    }
    process_due(message_time_us_);
}

bool SimMeter::reply_pending() const
{
    settle();
    return !replies_.empty();
}

qint64 SimMeter::reply_ready_at_us() const
{
    settle();
    return replies_.empty() ? -1 : replies_.front().ready_at_us;
}

QByteArray SimMeter::take_reply()
{
    settle();
    if (replies_.empty() || replies_.front().ready_at_us > eval_us_)
        return {};
    QByteArray bytes = std::move(replies_.front().bytes);
    replies_.pop_front();
    update_srq();
    return bytes;
}

void SimMeter::read_requested()
{
    settle();
    if (!read_hook)
        return;
    processing_ = true;
    command_time_us_ = std::max(eval_us_, busy_until_us_);
    read_hook(*this);
    processing_ = false;
    update_srq();
}

int SimMeter::serial_poll()
{
    settle();
    const int status = status_byte_now();
    rqs_ = false;
    return status;
}

bool SimMeter::requesting_service() const
{
    settle();
    return rqs_ && !silent;
}

void SimMeter::device_clear()
{
    settle();
    // Input and output queues go; the registers and a zeroing under way stay.
    input_.clear();
    replies_.clear();
    update_srq();
}

// ---- status model --------------------------------------------------------------------------------------

int SimMeter::esr() const
{
    settle();
    return esr_;
}

int SimMeter::status_byte_now() const
{
    int status = 0;
    if (!replies_.empty() && replies_.front().ready_at_us <= eval_us_)
        status |= stb_mav;
    if (esr_ & ese_)
        status |= stb_esb;
    if (rqs_ && !silent)
        status |= stb_rqs;
    return status;
}

int SimMeter::status_byte() const
{
    settle();
    return status_byte_now();
}

void SimMeter::update_srq()
{
    const bool summary = !silent && (status_byte_now() & sre_ & ~stb_rqs) != 0;
    if (summary && !srq_latched_)
        rqs_ = true;
    srq_latched_ = summary;
}

void SimMeter::set_operation_complete()
{
    esr_ |= esr_opc;
    update_srq();
}

void SimMeter::clear_status()
{
    esr_ = 0;
    errors_.clear();
    rqs_ = false;
    srq_latched_ = false;
}

void SimMeter::reset()
{
    settings_ = initial_settings_;
    display_on = true;
    for (const auto& hook : reset_hooks_)
        hook(*this);
}

static void add_error(QStringList& errors, const QString& text)
{
    if (errors.size() >= max_errors) {
        errors.back() = QStringLiteral("-350,\"Queue overflow\"");
        return;
    }
    errors << text;
}

void SimMeter::command_error(const QString& text)
{
    esr_ |= esr_command;
    add_error(errors_, text);
}

void SimMeter::execution_error(const QString& text)
{
    esr_ |= esr_execution;
    add_error(errors_, text);
}

void SimMeter::query_error(const QString& text)
{
    esr_ |= esr_query;
    add_error(errors_, text);
}

// ---- replies -------------------------------------------------------------------------------------------

void SimMeter::queue_reply(QByteArray bytes, double latency_ms, bool block)
{
    if (silent)
        return;
    if (latency_ms < 0)
        latency_ms = query_latency_ms;
    if (block && short_block_bytes >= 0) {
        bytes.truncate(short_block_bytes);
        short_block_bytes = -1;
    }
    if (garble_next) {
        // Noise in place of the content; the final byte stays, so a reader still sees the reply end.
        std::uniform_int_distribution<int> dist(0x80, 0xFF);
        for (int i = 0; i + 1 < bytes.size(); ++i)
            bytes[i] = char(dist(garble_rng_));
        garble_next = false;
    }
    qint64 ready = command_time_us_ + qint64(latency_ms * 1000.0 + 0.5);
    if (!replies_.empty())
        ready = std::max(ready, replies_.back().ready_at_us);
    replies_.push_back(Reply{ready, std::move(bytes)});
}

void SimMeter::reply(const QByteArray& text, double latency_ms) { queue_reply(text + '\n', latency_ms, false); }

void SimMeter::reply_raw(const QByteArray& bytes, double latency_ms) { queue_reply(bytes, latency_ms, true); }

// ---- parser --------------------------------------------------------------------------------------------

void SimMeter::on(const QString& header, Handler handler) { handlers_[header.toUpper()] = std::move(handler); }

void SimMeter::execute(const QString& command_text)
{
    Command c;
    int blank = -1;
    for (int i = 0; i < command_text.size(); ++i) {
        if (command_text[i] == QLatin1Char(' ') || command_text[i] == QLatin1Char('\t')) {
            blank = i;
            break;
        }
    }
    c.header = (blank < 0 ? command_text : command_text.left(blank)).toUpper();
    c.arg_text = blank < 0 ? QString() : command_text.mid(blank + 1).trimmed();
    if (!c.arg_text.isEmpty()) {
        for (const QString& a : c.arg_text.split(QLatin1Char(',')))
            c.args << a.trimmed();
    }
    const auto it = handlers_.constFind(c.header);
    if (it == handlers_.constEnd()) {
        command_error(QStringLiteral("-113,\"Undefined header\""));
        return;
    }
    const Handler handler = *it;  // a handler may register others
    handler(*this, c);
}

void SimMeter::setting(const QString& header, const QString& initial)
{
    const QString h = header.toUpper();
    initial_settings_[h] = initial;
    settings_[h] = initial;
    on(h, [h](SimMeter& m, const Command& c) {
        if (c.arg_text.isEmpty()) {
            m.command_error(missing_parameter);
            return;
        }
        m.set_value(h, c.arg_text);
    });
    on(h + QLatin1Char('?'), [h](SimMeter& m, const Command&) { m.reply(m.value(h).toLatin1()); });
}

void SimMeter::keyed_setting(const QString& header, const QStringList& keys, const QString& initial)
{
    const QString h = header.toUpper();
    for (const QString& k : keys) {
        initial_settings_[h + QLatin1Char(' ') + k] = initial;
        settings_[h + QLatin1Char(' ') + k] = initial;
    }
    const bool per_input = keys.contains(QStringLiteral("A"));
    // The key from the first argument; empty (with the error recorded) when it is not acceptable.
    const auto key_of = [keys, per_input](SimMeter& m, const Command& c) -> QString {
        if (c.args.isEmpty() || c.args[0].isEmpty()) {
            m.command_error(missing_parameter);
            return {};
        }
        const QString key = c.args[0].toUpper();
        if (!keys.contains(key)) {
            m.execution_error(illegal_value);
            return {};
        }
        if (per_input && key == QLatin1String("B") && !m.two_inputs()) {
            m.execution_error(hardware_missing);
            return {};
        }
        return key;
    };
    on(h, [h, key_of](SimMeter& m, const Command& c) {
        const QString key = key_of(m, c);
        if (key.isEmpty())
            return;
        QStringList rest = c.args.mid(1);
        while (!rest.isEmpty() && rest.back().isEmpty())
            rest.removeLast();
        if (rest.isEmpty()) {
            m.command_error(missing_parameter);
            return;
        }
        m.set_value(h + QLatin1Char(' ') + key, rest.join(QLatin1Char(',')));
    });
    on(h + QLatin1Char('?'), [h, key_of](SimMeter& m, const Command& c) {
        const QString key = key_of(m, c);
        if (!key.isEmpty())
            m.reply(m.value(h + QLatin1Char(' ') + key).toLatin1());
    });
}

std::optional<double> SimMeter::number_or_error(const Command& c)
{
    if (c.arg_text.isEmpty()) {
        command_error(missing_parameter);
        return std::nullopt;
    }
    bool ok = false;
    const double v = number_arg(c.arg_text, 1.0, &ok);
    if (!ok) {
        command_error(data_type_error);
        return std::nullopt;
    }
    return v;
}

// ---- core commands -------------------------------------------------------------------------------------

namespace {

// An integer register value 0..255 from the argument; -1 (with the error recorded) when there is none.
int register_arg(SimMeter& m, const SimMeter::Command& c)
{
    const std::optional<double> n = m.number_or_error(c);
    if (!n)
        return -1;
    const double v = *n;
    if (v < 0 || v > 255 || v != double(int(v))) {
        m.execution_error(out_of_range);
        return -1;
    }
    return int(v);
}

// The input named by the first argument, "A" or "B"; empty (with the error recorded) when the meter has
// no such input or no sensor on it.
QString sensor_arg(SimMeter& m, const SimMeter::Command& c)
{
    if (c.args.isEmpty() || c.args[0].isEmpty()) {
        m.command_error(missing_parameter);
        return {};
    }
    const QString s = c.args[0].toUpper();
    if (s != QLatin1String("A") && s != QLatin1String("B")) {
        m.execution_error(illegal_value);
        return {};
    }
    if (!m.sensor_fitted(s)) {
        m.execution_error(hardware_missing);
        return {};
    }
    return s;
}

// "ON" or "OFF"; empty (with the error recorded) otherwise.
QString on_off_arg(SimMeter& m, const SimMeter::Command& c)
{
    if (c.arg_text.isEmpty()) {
        m.command_error(missing_parameter);
        return {};
    }
    const QString v = c.arg_text.toUpper();
    if (v != QLatin1String("ON") && v != QLatin1String("OFF")) {
        m.execution_error(illegal_value);
        return {};
    }
    return v;
}

}  // namespace

void install_core_commands(SimMeter& meter)
{
    using Command = SimMeter::Command;

    // IEEE 488.2 common commands.
    meter.on(QStringLiteral("*CLS"), [](SimMeter& m, const Command&) { m.clear_status(); });
    meter.on(QStringLiteral("*ESE"), [](SimMeter& m, const Command& c) {
        const int v = register_arg(m, c);
        if (v >= 0)
            m.ese_ = v;
    });
    meter.on(QStringLiteral("*ESE?"), [](SimMeter& m, const Command&) { m.reply(QByteArray::number(m.ese_)); });
    meter.on(QStringLiteral("*SRE"), [](SimMeter& m, const Command& c) {
        const int v = register_arg(m, c);
        if (v >= 0)
            m.sre_ = v & ~stb_rqs;
    });
    meter.on(QStringLiteral("*SRE?"), [](SimMeter& m, const Command&) { m.reply(QByteArray::number(m.sre_)); });
    meter.on(QStringLiteral("*ESR?"), [](SimMeter& m, const Command&) {
        m.reply(QByteArray::number(m.esr_));
        m.esr_ = 0;
    });
    meter.on(QStringLiteral("*STB?"), [](SimMeter& m, const Command&) {
        // Bit 6 here is the summary itself, not the latched request.
        int status = m.status_byte_now() & ~stb_rqs;
        if (status & m.sre_)
            status |= stb_rqs;
        m.reply(QByteArray::number(status));
    });
    meter.on(QStringLiteral("*OPC"), [](SimMeter& m, const Command&) { m.set_operation_complete(); });
    meter.on(QStringLiteral("*OPC?"), [](SimMeter& m, const Command&) { m.reply("1"); });
    meter.on(QStringLiteral("*RST"), [](SimMeter& m, const Command&) { m.reset(); });
    meter.on(QStringLiteral("*IDN?"), [](SimMeter& m, const Command&) {
        const BenchDescription& b = m.bench();
        m.reply(QStringLiteral("%1,%2,%3,%4")
                    .arg(b.maker, b.model, b.serial_number, b.software_version)
                    .toLatin1());
    });

    // Error list: read once, then empty.
    meter.on(QStringLiteral("ERRLST"), [](SimMeter& m, const Command&) {
        const QString text =
            m.errors_.isEmpty() ? QStringLiteral("0,\"No errors\"") : m.errors_.join(QLatin1Char(';'));
        m.errors_.clear();
        m.reply(text.toLatin1());
    });

    // Sensors.
    const auto sentyp = [](SimMeter& m, const Command& c) {
        if (c.args.isEmpty() || c.args[0].isEmpty()) {
            m.command_error(missing_parameter);
            return;
        }
        const QString s = c.args[0].toUpper();
        if (s != QLatin1String("A") && s != QLatin1String("B")) {
            m.execution_error(illegal_value);
            return;
        }
        if (!m.sensor_fitted(s)) {
            m.reply("NO SENSOR");
            return;
        }
        const BenchDescription& b = m.bench();
        const QString text = s == QLatin1String("A") ? b.sensor_a_type + QLatin1Char(',') + b.sensor_a_serial
                                                      : b.sensor_b_type + QLatin1Char(',') + b.sensor_b_serial;
        m.reply(text.toLatin1());
    };
    meter.on(QStringLiteral("SENTYP"), sentyp);
    meter.on(QStringLiteral("SENTYP?"), sentyp);

    // Zeroing reads the sensor's own noise floor: RF on the sensor at the time spoils it.
    meter.on(QStringLiteral("ZERO"), [](SimMeter& m, const Command& c) {
        const QString s = sensor_arg(m, c);
        if (s.isEmpty())
            return;
        const bool rf = m.generator() && m.generator()->rf_on;
        m.zero_offset_db_[s] = rf ? m.zero_error_db : 0.0;
        m.busy_for_ms(m.zero_ms);
    });
    meter.on(QStringLiteral("CAL"), [](SimMeter& m, const Command& c) {
        if (!sensor_arg(m, c).isEmpty())
            m.busy_for_ms(m.cal_ms);
    });

    // Reading mode: a change takes the meter several seconds.
    meter.on(QStringLiteral("RDMODE?"), [](SimMeter& m, const Command&) { m.reply(m.reading_mode.toLatin1()); });
    meter.on(QStringLiteral("RDMODE"), [](SimMeter& m, const Command& c) {
        if (c.arg_text.isEmpty()) {
            m.command_error(missing_parameter);
            return;
        }
        const QString mode = c.arg_text.toUpper();
        if (mode != QLatin1String("STAND") && mode != QLatin1String("CDMA")) {
            m.execution_error(illegal_value);
            return;
        }
        if (mode != m.reading_mode) {
            m.reading_mode = mode;
            m.busy_for_ms(m.rdmode_change_ms);
        }
    });

    // Operating mode and display.
    meter.setting(QStringLiteral("OPMD"), QStringLiteral("DIGIT"));
    meter.on(QStringLiteral("OPMD"), [](SimMeter& m, const Command& c) {
        if (c.arg_text.isEmpty()) {
            m.command_error(missing_parameter);
            return;
        }
        const QString mode = c.arg_text.toUpper();
        if (!m.operating_modes.contains(mode)) {
            m.execution_error(illegal_value);
            return;
        }
        m.set_value(QStringLiteral("OPMD"), mode);
    });
    meter.setting(QStringLiteral("DISP"), QStringLiteral("ON"));
    meter.on(QStringLiteral("DISP"), [](SimMeter& m, const Command& c) {
        const QString v = on_off_arg(m, c);
        if (v.isEmpty())
            return;
        m.set_value(QStringLiteral("DISP"), v);
        m.display_on = v == QLatin1String("ON");
    });

    // Plain settings the modes send; the mode files give the ones with physics their own handlers.
    const QStringList inputs{QStringLiteral("A"), QStringLiteral("B")};
    const QStringList channels{QStringLiteral("1"), QStringLiteral("2")};
    meter.keyed_setting(QStringLiteral("AVG"), inputs, QStringLiteral("OFF"));
    meter.keyed_setting(QStringLiteral("AVGLL"), inputs, QStringLiteral("OFF"));
    meter.keyed_setting(QStringLiteral("GRSWP"), inputs, QStringLiteral("1"));
    meter.keyed_setting(QStringLiteral("RGH"), inputs, QStringLiteral("0"));
    meter.keyed_setting(QStringLiteral("SENMM"), inputs, QStringLiteral("DEFAULT"));
    meter.keyed_setting(QStringLiteral("CFSRC"), inputs, QStringLiteral("FREQ"));
    meter.keyed_setting(QStringLiteral("SENSTL"), inputs, QStringLiteral("10.0"));
    meter.keyed_setting(QStringLiteral("CFFRQ"), inputs, QStringLiteral("1GHZ"));
    meter.keyed_setting(QStringLiteral("OFFTYP"), inputs, QStringLiteral("OFF"));
    meter.keyed_setting(QStringLiteral("OFFFIX"), inputs, QStringLiteral("0"));
    meter.keyed_setting(QStringLiteral("CHCFG"), channels, QStringLiteral("A"));
    meter.keyed_setting(QStringLiteral("TRGSRC"), channels, QStringLiteral("CONT"));
    meter.keyed_setting(QStringLiteral("TRGLVL"), channels, QStringLiteral("-20"));
    meter.keyed_setting(QStringLiteral("TRGDLY"), channels, QStringLiteral("0"));
    meter.keyed_setting(QStringLiteral("TRGGW"), channels, QStringLiteral("0"));
    meter.keyed_setting(QStringLiteral("TRGXTTL"), channels, QStringLiteral("RISE"));
    meter.setting(QStringLiteral("GRSWS"), QStringLiteral("OFF"));
    meter.setting(QStringLiteral("GTDLY"), QStringLiteral("0"));
    meter.setting(QStringLiteral("GTGW"), QStringLiteral("1ms"));
    meter.setting(QStringLiteral("GRPRD"), QStringLiteral("10ms"));
    meter.setting(QStringLiteral("DTRGD"), QStringLiteral("0"));
    meter.setting(QStringLiteral("GRDATA"), QStringLiteral("OFF"));
    meter.setting(QStringLiteral("GTTYP"), QStringLiteral("RISE"));
    meter.setting(QStringLiteral("GTXTTL"), QStringLiteral("RISE"));
    meter.setting(QStringLiteral("GTSRC"), QStringLiteral("INTA"));
    meter.setting(QStringLiteral("RFCAL"), QStringLiteral("OFF"));
    meter.setting(QStringLiteral("SRCMOD"), QStringLiteral("FREQ"));
    meter.setting(QStringLiteral("SRCSTFRQ"), QStringLiteral("1GHZ"));
    meter.setting(QStringLiteral("SRCSPFRQ"), QStringLiteral("2GHZ"));
    meter.setting(QStringLiteral("IBBLP"), QStringLiteral("POS"));
    meter.setting(QStringLiteral("PCRH"), QStringLiteral("MAN"));
    meter.setting(QStringLiteral("PCRT"), QStringLiteral("0"));
}
