#pragma once
#include "sim/bench_description.h"
#include "sim/sim_instrument.h"

#include <QHash>
#include <QMap>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <vector>

class Clock;
class SimGenerator;

// The simulated peak power meter: IEEE 488.2 status model, error list, the command parser and the
// measurement behaviour of each operating mode. Front ends (the GPIB bus, the serial endpoint) carry its
// messages; it does not know which.
//
// Time: the meter works through its input in order. A command that takes time (busy_for_ms: zeroing,
// calibration, a reading-mode change) holds back every later command, of the same message or a later
// one, until it is done; "*OPC" therefore sets operation complete, and "*OPC?" answers "1", only once
// everything before it has finished. The meter has no thread: whatever falls due is brought up to the
// clock's time whenever a front end looks at it.
class SimMeter : public SimInstrument {
public:
    // A command: header upper-cased (queries keep their "?"), its argument text as sent (trimmed), and
    // the arguments split at "," and trimmed.
    struct Command {
        QString header;
        QString arg_text;
        QStringList args;
    };
    using Handler = std::function<void(SimMeter&, const Command&)>;

    SimMeter(Clock& clock, const BenchDescription& bench);

    // SimInstrument
    void receive_message(const QByteArray& message) override;
    bool reply_pending() const override;
    qint64 reply_ready_at_us() const override;
    QByteArray take_reply() override;
    int serial_poll() override;
    bool requesting_service() const override;
    void device_clear() override;
    qint64 next_event_us() const override;
    void read_requested() override;

    // Command table. Headers are matched case-insensitively; a handler registered for "GTDLY" serves
    // "gtdly 5ms". Mode files add their own handlers with install_*_commands(); a later registration
    // for the same header replaces the earlier one.
    void on(const QString& header, Handler handler);
    // The handler registered for a header (empty when none), so a mode file can wrap another's.
    Handler handler(const QString& header) const { return handlers_.value(header.toUpper()); }
    // Queue a text reply (LF appended) ready latency_ms after the current command starts (default: the
    // query latency).
    void reply(const QByteArray& text, double latency_ms = -1);
    // Queue a binary block reply as it goes on the wire, ready after latency_ms.
    void reply_raw(const QByteArray& bytes, double latency_ms = -1);
    // Record a command or execution error (sets ESR bit 5 or 4 and appends to the error list). The text
    // is the whole list entry, number and quoted description: -113,"Undefined header".
    void command_error(const QString& text);
    void execution_error(const QString& text);
    void query_error(const QString& text);
    // The error list as it stands, oldest first (ERRLST reads and clears it).
    QStringList errors() const { return errors_; }

    // Generic settings: commands registered with setting() store their argument text under their
    // header and answer "HEADER?" with it. *RST puts back the initial value.
    void setting(const QString& header, const QString& initial = QString());
    // Settings held per input or channel, named by the first argument: "AVG A, MOV, 16" stores "MOV,16"
    // under "AVG A"; "TRGLVL 1,-20" stores "-20" under "TRGLVL 1". "HEADER? key" answers the value.
    // keys are the accepted first arguments ("A", "B" or "1", "2"); input B is refused on a single-input
    // meter.
    void keyed_setting(const QString& header, const QStringList& keys, const QString& initial = QString());
    QString value(const QString& header) const { return settings_.value(header.toUpper()); }
    void set_value(const QString& header, const QString& v) { settings_[header.toUpper()] = v; }
    // Run after *RST has put the settings back, for state the mode files keep themselves.
    void on_reset(std::function<void(SimMeter&)> hook) { reset_hooks_.push_back(std::move(hook)); }

    // A number with an optional unit, as the meter (and the generator) read them: " .005ms", "-50",
    // "1.7MS", "2GHZ", "5e-3 s". Returns the value in SI units (seconds, hertz, dB and dBm as they are).
    // Units, case-insensitive: s, sec, ms, us, ns, Hz, kHz, MHz, GHz, dB, dBm, %, and the generator's
    // short forms DM (dBm), GH, MH, KH, SPS (steps) and PCT. A number without a unit is multiplied by
    // bare_scale (for commands whose plain numbers are in, say, milliseconds). ok is false when there is
    // no number or the unit is unknown; the result is then 0.
    static double number_arg(const QString& text, double bare_scale = 1.0, bool* ok = nullptr);
    // The command's argument as a number (no unit scaling); none, with the command error recorded, when
    // the argument is missing or not a number.
    std::optional<double> number_or_error(const Command& c);

    // IEEE 488.2 registers.
    int esr() const;
    int ese() const { return ese_; }
    int sre() const { return sre_; }
    int status_byte() const;  // MAV (16), ESB (32), RQS (64)
    void set_operation_complete();

    // Time model for handlers. The current command started at command_time_us(); busy_for_ms() makes it
    // last that long, holding back every later command and *OPC until then.
    qint64 command_time_us() const { return command_time_us_; }
    void busy_for_ms(double ms);
    qint64 busy_until_us() const { return busy_until_us_; }
    // Runs an action at a virtual time (a measurement finishing, a trigger).
    void at(qint64 t_us, std::function<void(SimMeter&)> action);

    Clock& clock() { return clock_; }
    const BenchDescription& bench() const { return bench_; }
    void set_generator(SimGenerator* generator) { generator_ = generator; }
    SimGenerator* generator() const { return generator_; }
    std::mt19937& rng() { return rng_; }
    // Gaussian noise with the given standard deviation, from the seeded source.
    double noise(double sigma);

    // The model has inputs A and B.
    bool two_inputs() const;
    // A sensor is fitted on input "A" or "B".
    bool sensor_fitted(const QString& sensor) const;
    // Zero offset of an input, in dB: a sensor zeroed while the generator's RF was on reads 0.5 dB high
    // until it is zeroed again with the RF off.
    double zero_offset_db(const QString& sensor) const { return zero_offset_db_.value(sensor.toUpper()); }
    double zero_error_db = 0.5;

    // Timing model, in milliseconds, charged as reply latency.
    double query_latency_ms = 1.0;
    double zero_ms = 10000.0;
    double cal_ms = 3000.0;
    // A change of reading mode (RDMODE STAND / CDMA); asking for the mode already set costs nothing.
    double rdmode_change_ms = 8000.0;
    // Every queued reply's time starts here: the end of the message that caused it.
    qint64 message_time_us() const { return message_time_us_; }

    // Fault injection.
    bool silent = false;       // accepts commands, never replies, never raises a request
    bool garble_next = false;  // the next reply is replaced by noise bytes
    int short_block_bytes = -1;  // >= 0: the next block reply is cut to this many bytes

    // Operating-mode state shared by the mode files.
    QString operating_mode() const { return value(QStringLiteral("OPMD")).toUpper(); }
    // Operating modes "OPMD" accepts.
    QStringList operating_modes{QStringLiteral("DIGIT"), QStringLiteral("PROFILE"), QStringLiteral("SRCSWP")};
    bool display_on = true;
    QString reading_mode = QStringLiteral("STAND");  // "STAND" or "CDMA"

    // Mode-specific state lives in the mode files; they may keep it here by name.
    QHash<QString, double> numbers;
    // State a mode file keeps for itself under a name: created on first use, gone with the meter.
    template <typename T>
    T& mode_state(const QString& name)
    {
        std::shared_ptr<void>& slot = mode_states_[name];
        if (!slot)
            slot = std::make_shared<T>();
        return *static_cast<T*>(slot.get());
    }
    // Called when a reader is about to take a reply (a talk-only stream queues its next reading here).
    std::function<void(SimMeter&)> read_hook;

private:
    struct Action {
        qint64 at_us;
        std::function<void(SimMeter&)> fn;
    };

    void execute(const QString& command_text);
    void clear_status();
    void reset();
    void update_srq();
    void queue_reply(QByteArray bytes, double latency_ms, bool block);
    // Brings everything that has fallen due up to now.
    void settle() const;
    qint64 earliest_event_us() const;
    void process_due(qint64 now_us);
    void run_input();
    int status_byte_now() const;
    friend void install_core_commands(SimMeter& meter);

    Clock& clock_;
    BenchDescription bench_;
    SimGenerator* generator_ = nullptr;
    std::mt19937 rng_;
    std::mt19937 garble_rng_;  // its own source, so a garbled reply leaves the measurement noise as it was
    QHash<QString, Handler> handlers_;
    QMap<QString, QString> settings_;
    QMap<QString, QString> initial_settings_;
    struct Reply {
        qint64 ready_at_us;
        QByteArray bytes;
    };
    std::deque<Reply> replies_;
    QStringList errors_;
    int esr_ = 0;
    int ese_ = 0;
    int sre_ = 0;
    bool rqs_ = false;          // request-service bit, latched until a serial poll
    bool srq_latched_ = false;  // the service-request summary as last seen (a request is raised on its rise)
    qint64 message_time_us_ = 0;

    std::deque<QString> input_;  // commands received, not yet executed
    std::vector<Action> actions_;
    qint64 command_time_us_ = 0;
    qint64 busy_until_us_ = 0;
    qint64 eval_us_ = 0;  // the time up to which the meter's state is worked out
    bool processing_ = false;
    QHash<QString, double> zero_offset_db_;
    std::vector<std::function<void(SimMeter&)>> reset_hooks_;
    QHash<QString, std::shared_ptr<void>> mode_states_;
};

// Mode files register their commands here (each defined in its own sim/meter_*.cpp).
void install_core_commands(SimMeter& meter);
void install_readout_commands(SimMeter& meter);
void install_profile_commands(SimMeter& meter);
void install_gsm_commands(SimMeter& meter);
void install_cdma_commands(SimMeter& meter);
