#include "sim/sim_modem.h"

#include "platform/clock.h"
#include "sim/wire_log.h"

#include <algorithm>
#include <cctype>

namespace {
const QString channel = QStringLiteral("modem");
// A real modem times its guard with a coarse timer (1/50 s); a pause of exactly a second must pass.
constexpr qint64 guard_slack_us = 20'000;

bool answers(SimModem::Outcome o)
{
    return o == SimModem::Outcome::Meter || o == SimModem::Outcome::OtherModel || o == SimModem::Outcome::NoMeter;
}
}  // namespace

SimModem::SimModem(SerialEndpoint& line, Clock& clock, WireLog& log, const BenchDescription& bench)
    : TimedLineEnd(clock), line_(line), log_(log), bench_(bench)
{
    set_number(bench_.phone_number, Outcome::Meter);
}

QString SimModem::digits(const QString& number)
{
    QString out;
    for (QChar c : number)
        if (c.isDigit() || c == QLatin1Char('*') || c == QLatin1Char('#'))
            out.append(c);
    return out;
}

void SimModem::set_number(const QString& number, Outcome outcome, const QString& other_model)
{
    phone_book_[digits(number)] = Entry{outcome, other_model};
}

void SimModem::remove_number(const QString& number) { phone_book_.remove(digits(number)); }

bool SimModem::carrier() const
{
    if (carrier_stuck)
        return true;
    // The call may have come up since the last update.
    if (state_ == State::Dialing && answers(call_.outcome) && clock_.now_us() >= call_end_us_)
        return true;
    return carrier_;
}

void SimModem::set_carrier(bool up)
{
    if (carrier_ == up)
        return;
    carrier_ = up;
    log_.add(channel, QStringLiteral("carrier"), -1, up ? "1" : "0");
    if (on_carrier_change)
        on_carrier_change(up);
}

void SimModem::say(const QByteArray& bytes, qint64 at_us) { queue(bytes, at_us); }

void SimModem::result(const char* verbose, int numeric, qint64 at_us)
{
    log_.add(channel, QStringLiteral("result"), -1, verbose);
    if (quiet_)
        return;
    if (verbose_)
        say(QByteArray("\r\n") + verbose + "\r\n", at_us);
    else
        say(QByteArray::number(numeric) + '\r', at_us);
}

void SimModem::update()
{
    const qint64 now = clock_.now_us();
    if (state_ == State::Dialing && now >= call_end_us_) {
        switch (call_.outcome) {
        case Outcome::Meter:
        case Outcome::OtherModel:
        case Outcome::NoMeter:
            connect(call_.outcome, call_.model, true);
            break;
        case Outcome::Busy:
            state_ = State::Command;
            result("BUSY", 7, call_end_us_);
            break;
        case Outcome::NoAnswer:
            state_ = State::Command;
            if (call_quiet_answer_)
                result("NO ANSWER", 8, call_end_us_);
            else
                result("NO CARRIER", 3, call_end_us_);
            break;
        case Outcome::QuietBusy:
            // The attempt ends without a word.
            log_.add(channel, QStringLiteral("gave-up"), -1, call_number_.toLatin1());
            state_ = State::Command;
            break;
        }
    }
    if (state_ == State::Data && plus_count_ > 0 && now - plus_at_us_ >= qint64(guard_ms * 1000.0)) {
        if (plus_count_ == 3) {
            // Silence after "+++": back to command state, the call is kept.
            log_.add(channel, QStringLiteral("escape"), -1, "+++");
            plus_count_ = 0;
            state_ = State::Command;
            result("OK", 0, plus_at_us_ + qint64(guard_ms * 1000.0));
        } else {
            // Fewer than three: they were data after all.
            const QByteArray plus(plus_count_, '+');
            plus_count_ = 0;
            pass_to_far_end(plus);
        }
    }
    if (state_ == State::Data) {
        const QByteArray bytes = from_far_end();
        if (!bytes.isEmpty())
            out_.push(bytes, now, 0.0);
    } else {
        // Nothing passes outside a connection; whatever the far end still sends is lost.
        line_.take_available();
    }
}

void SimModem::receive_from_host(const QByteArray& bytes)
{
    update();
    for (int i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        switch (state_) {
        case State::Command:
            command_byte(c);
            break;
        case State::Dialing:
            // The line end after the dial command is not a key press; anything else aborts the call.
            if (c == '\r' || c == '\n')
                break;
            log_.add(channel, QStringLiteral("abort"), -1, call_number_.toLatin1());
            state_ = State::Command;
            call_number_.clear();
            result("NO CARRIER", 3, clock_.now_us());
            break;
        case State::Data:
            data_bytes(bytes.mid(i));
            i = bytes.size();
            break;
        }
    }
    update();
}

void SimModem::command_byte(char c)
{
    if (echo_)
        say(QByteArray(1, c), clock_.now_us());
    if (c == '\r' || c == '\n') {
        const QByteArray line = command_;
        command_.clear();
        if (!line.trimmed().isEmpty())
            execute(line);
        return;
    }
    if (c == '\b') {
        command_.chop(1);
        return;
    }
    command_.append(c);
}

void SimModem::execute(const QByteArray& line)
{
    log_.add(channel, QStringLiteral("command"), -1, line);
    const qint64 now = clock_.now_us();
    const QByteArray upper = line.toUpper();
    const int at = upper.indexOf("AT");
    if (at < 0)
        return;  // not a command: a modem waits for "AT"
    const QByteArray cmd = upper.mid(at + 2);
    int i = 0;
    const auto number = [&](int fallback) {
        if (i >= cmd.size() || !std::isdigit(static_cast<unsigned char>(cmd[i])))
            return fallback;
        int n = 0;
        while (i < cmd.size() && std::isdigit(static_cast<unsigned char>(cmd[i])))
            n = n * 10 + (cmd[i++] - '0');
        return n;
    };
    const auto error = [&] { result("ERROR", 4, now); };
    while (i < cmd.size()) {
        const char ch = cmd[i++];
        switch (ch) {
        case ' ':
            break;
        case 'D':
            dial(line.mid(at + 2 + i));
            return;
        case 'E':
            echo_ = number(0) != 0;
            break;
        case 'V':
            verbose_ = number(0) != 0;
            break;
        case 'Q':
            quiet_ = number(0) != 0;
            break;
        case 'H':
            if (number(0) == 0)
                hang_up("ATH");
            break;
        case 'Z':
            number(0);
            hang_up("ATZ");
            echo_ = verbose_ = true;
            quiet_ = false;
            break;
        case 'X':
        case 'F':
        case 'M':
        case 'L':
        case 'B':
            number(0);
            break;
        case '&':
            if (i >= cmd.size() || !std::isalpha(static_cast<unsigned char>(cmd[i])))
                return error();
            if (cmd[i++] == 'F') {
                echo_ = verbose_ = true;
                quiet_ = false;
            }
            number(0);
            break;
        case 'S': {
            const int reg = number(-1);
            if (reg < 0 || i >= cmd.size() || cmd[i] != '=')
                return error();
            ++i;
            number(0);
            break;
        }
        default:
            return error();
        }
    }
    result("OK", 0, now);
}

void SimModem::dial(const QByteArray& dial_string)
{
    const qint64 now = clock_.now_us();
    const QString number = digits(QString::fromLatin1(dial_string));
    if (carrier_ || number.isEmpty()) {
        result("ERROR", 4, now);
        return;
    }
    log_.add(channel, QStringLiteral("dial"), -1, number.toLatin1());
    call_ = phone_book_.value(number, Entry{});
    call_number_ = number;
    call_quiet_answer_ = dial_string.contains('@');
    double delay_ms = no_answer_ms;
    if (answers(call_.outcome))
        delay_ms = dial_ms;
    else if (call_.outcome == Outcome::Busy)
        delay_ms = busy_ms;
    call_end_us_ = now + qint64(delay_ms * 1000.0);
    state_ = State::Dialing;
}

void SimModem::connect(Outcome outcome, const QString& model, bool announce)
{
    call_ = Entry{outcome, model};
    state_ = State::Data;
    plus_count_ = 0;
    rewrite_held_.clear();
    line_.take_available();  // nothing from before the call
    last_data_us_ = call_end_us_;
    log_.add(channel, QStringLiteral("connect"), -1, call_number_.toLatin1());
    set_carrier(true);
    if (announce)
        result("CONNECT 9600", 13, call_end_us_);
}

void SimModem::hang_up(const char* why)
{
    plus_count_ = 0;
    rewrite_held_.clear();
    if (state_ == State::Command && !carrier_)
        return;
    log_.add(channel, QStringLiteral("hangup"), -1, why);
    state_ = State::Command;
    call_number_.clear();
    set_carrier(false);
}

void SimModem::drop_carrier()
{
    update();
    if (!carrier_)
        return;
    hang_up("remote");
    result("NO CARRIER", 3, clock_.now_us());
}

void SimModem::start_connected(Outcome outcome)
{
    const qint64 now = clock_.now_us();
    call_number_ = digits(bench_.phone_number);
    call_end_us_ = now - qint64(guard_ms * 1000.0);
    connect(outcome, QStringLiteral("RQ5822K"), false);
}

void SimModem::data_bytes(const QByteArray& bytes)
{
    const qint64 now = clock_.now_us();
    const qint64 guard_us = qint64(guard_ms * 1000.0);
    QByteArray pass;
    for (char c : bytes) {
        if (c == '+' && plus_count_ < 3 && (plus_count_ > 0 || now - last_data_us_ >= guard_us - guard_slack_us)) {
            // Held back until the guard time tells escape from data.
            ++plus_count_;
            plus_at_us_ = now;
            continue;
        }
        if (plus_count_ > 0) {
            pass.append(QByteArray(plus_count_, '+'));
            plus_count_ = 0;
        }
        pass.append(c);
        last_data_us_ = now;
    }
    if (!pass.isEmpty())
        pass_to_far_end(pass);
}

void SimModem::pass_to_far_end(const QByteArray& bytes)
{
    if (call_.outcome != Outcome::NoMeter)
        line_.receive_from_host(bytes);
}

QByteArray SimModem::from_far_end()
{
    QByteArray bytes = line_.take_available();
    if (call_.outcome == Outcome::NoMeter)
        return {};
    if (call_.outcome == Outcome::OtherModel)
        bytes = rewrite_identity(bytes);
    return bytes;
}

// The far meter names another model: its identity is rewritten as it passes. Bytes that may begin the
// identity are held until it is clear whether they do.
QByteArray SimModem::rewrite_identity(const QByteArray& bytes)
{
    const QByteArray pattern = (bench_.maker + QLatin1Char(',') + bench_.model).toLatin1();
    const QByteArray replacement = (bench_.maker + QLatin1Char(',') + call_.model).toLatin1();
    if (pattern == replacement || pattern.isEmpty())
        return bytes;
    rewrite_held_ += bytes;
    QByteArray out;
    for (;;) {
        const int i = rewrite_held_.indexOf(pattern);
        if (i < 0)
            break;
        out += rewrite_held_.left(i) + replacement;
        rewrite_held_.remove(0, i + pattern.size());
    }
    int keep = 0;
    for (int k = std::min<int>(rewrite_held_.size(), pattern.size() - 1); k > 0; --k) {
        if (pattern.startsWith(rewrite_held_.right(k))) {
            keep = k;
            break;
        }
    }
    out += rewrite_held_.left(rewrite_held_.size() - keep);
    rewrite_held_ = rewrite_held_.right(keep);
    return out;
}

void SimModem::host_closed()
{
    update();
    // "+++" followed by the port closing is an escape like any other; closing hangs up anyway.
    if (state_ == State::Data && plus_count_ == 3)
        log_.add(channel, QStringLiteral("escape"), -1, "+++");
    if (state_ == State::Dialing) {
        log_.add(channel, QStringLiteral("abort"), -1, call_number_.toLatin1());
        state_ = State::Command;
    }
    hang_up("port closed");
    command_.clear();
    out_.clear(clock_.now_us());
}
