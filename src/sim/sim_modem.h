#pragma once
#include "sim/bench_description.h"
#include "sim/timed_line_end.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <functional>

class Clock;
class WireLog;

// A Hayes-type modem between the program's serial port and a far end (the serial meter). In command
// state it takes AT lines (ended by CR, or by LF alone), echoes while echo is on and answers with
// verbose result codes; ATD dials a number from its phone book. Once connected, bytes pass through
// both ways and the carrier is up; "+++" framed by a second of silence on each side returns to command
// state with the carrier kept. ATH hangs up, and so does closing the port.
class SimModem : public TimedLineEnd {
public:
    // What a dialled number does.
    enum class Outcome {
        Meter,       // answers; the far end is the meter
        Busy,        // "BUSY" after busy_ms
        QuietBusy,   // the line is busy but the modem prints nothing
        NoAnswer,    // "NO CARRIER" after no_answer_ms ("NO ANSWER" when the dial string has "@")
        OtherModel,  // answers; the meter's identity names another model
        NoMeter,     // answers, but nothing is connected at the far end
    };

    SimModem(SerialEndpoint& line, Clock& clock, WireLog& log, const BenchDescription& bench);

    // SerialEndpoint
    void receive_from_host(const QByteArray& bytes) override;
    bool carrier() const override;
    void host_closed() override;

    // Moves time-driven events (call progress, the guard time after "+++") up to now.
    void update() override;

    // Phone book. The bench's phone number answers with the meter; any number not listed gets no answer.
    // Numbers are compared by their digits (and "*", "#") only.
    void set_number(const QString& number, Outcome outcome, const QString& other_model = QStringLiteral("RQ5822K"));
    void remove_number(const QString& number);

    // A connection left over from an earlier run: carrier up, data state.
    void start_connected(Outcome outcome = Outcome::Meter);
    // The far end hangs up: "NO CARRIER", back to command state.
    void drop_carrier();

    bool echo() const { return echo_; }
    bool in_data_state() const { return state_ == State::Data; }
    bool dialing() const { return state_ == State::Dialing; }
    // The number of the call in progress or connected.
    QString connected_number() const { return call_number_; }

    // Timing, in virtual milliseconds.
    double dial_ms = 15000.0;
    double busy_ms = 5000.0;
    double no_answer_ms = 45000.0;
    double guard_ms = 1000.0;
    // Fault injection: the carrier stays up whatever the program does.
    bool carrier_stuck = false;
    // Called whenever the carrier changes.
    std::function<void(bool)> on_carrier_change;

private:
    enum class State { Command, Dialing, Data };
    struct Entry {
        Outcome outcome = Outcome::NoAnswer;
        QString model;
    };

    void command_byte(char c);
    void execute(const QByteArray& line);
    void dial(const QByteArray& dial_string);
    void hang_up(const char* why);
    void connect(Outcome outcome, const QString& model, bool announce);
    void result(const char* verbose, int numeric, qint64 at_us);
    void say(const QByteArray& bytes, qint64 at_us);
    void set_carrier(bool up);
    void data_bytes(const QByteArray& bytes);
    void pass_to_far_end(const QByteArray& bytes);
    QByteArray from_far_end();
    QByteArray rewrite_identity(const QByteArray& bytes);
    static QString digits(const QString& number);

    SerialEndpoint& line_;
    WireLog& log_;
    BenchDescription bench_;
    QMap<QString, Entry> phone_book_;

    State state_ = State::Command;
    bool carrier_ = false;
    bool echo_ = true;
    bool verbose_ = true;
    bool quiet_ = false;
    QByteArray command_;

    // Call in progress / connected.
    Entry call_;
    QString call_number_;
    bool call_quiet_answer_ = false;
    qint64 call_end_us_ = 0;
    QByteArray rewrite_held_;

    // Escape detection in data state.
    qint64 last_data_us_ = 0;
    int plus_count_ = 0;
    qint64 plus_at_us_ = 0;
};
