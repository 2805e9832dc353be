#pragma once
#include "platform/gpib_driver.h"

#include <QHash>
#include <QMap>
#include <QSet>
#include <QString>
#include <optional>

class Clock;
class SimInstrument;
class WireLog;

// The simulated GPIB board (board 0, unit descriptor 0 from ibfind("GPIB0")) with instruments at bus
// addresses. Calls block on the clock as a real driver blocks: a read waits until the instrument's reply
// is ready, at most the time-out set with ibtmo (10 s until then); a wait for a service request likewise.
// Carrying bytes costs us_per_byte of clock time each.
//
// Every call is logged on channel "gpib" with its kind: "send", "receive" (the bytes delivered),
// "setup", "devclear", "poll" (the status byte), "ifc", "sre", "sic", "wait" ("SRQI" or "TIMO"), "tmo"
// (the code), "find" (the name), "register" (the result), "unregister". A call that fails is logged as
// kind "error" with "<call> <code>", so the "send" entries are exactly what reached the instruments.
class SimGpibBus : public GpibDriver {
public:
    SimGpibBus(Clock& clock, WireLog& log);

    void attach(int address, SimInstrument* instrument);
    void detach(int address);
    SimInstrument* instrument(int address) const { return devices_.value(address, nullptr); }

    // GpibDriver
    int register_globals() override;
    void unregister_globals() override;
    Status status() const override { return status_; }
    int ibfind(const QString& name) override;
    void ibsre(int ud, int value) override;
    void ibsic(int ud) override;
    void ibtmo(int ud, int code) override;
    void ibwait(int ud, int mask) override;
    void send(int board, int address, const QByteArray& data, int end_mode) override;
    void receive(int board, int address, QByteArray& buffer, int max_count, int termination) override;
    void receive_setup(int board, int address) override;
    void rcv_resp_msg(int board, QByteArray& buffer, int max_count, int termination) override;
    void read_status_byte(int board, int address, int* result) override;
    void send_ifc(int board) override;
    void dev_clear(int board, int address) override;

    // Clock time charged per byte carried, in microseconds (0 for benchmarks).
    double us_per_byte = 1.0;
    // What register_globals answers; unset: 0 the first time, 1 (already registered) afterwards.
    std::optional<int> register_result;
    int timeout_code() const { return timeout_code_; }
    // The talker addressed by receive_setup; -1 when none.
    int talker() const { return talker_; }
    bool remote_enabled() const { return remote_enabled_; }

    // Fault injection.
    // The instrument at the address stops listening: sends to it fail with ENOL.
    void no_listener(int address, bool on = true);
    // The next call of that name fails with ERR and the given code, doing nothing else. Names are the
    // driver calls ("send", "receive", "receive_setup", "rcv_resp_msg", "read_status_byte", "dev_clear",
    // "send_ifc", "ibsre", "ibsic", "ibtmo", "ibwait", "ibfind") or their log kinds ("poll", "wait", ...).
    void fail_next(const QString& call, int err);
    // Reads from the address never get a reply: each waits out the time-out and fails with EABO.
    void always_timeout(int address, bool on = true);

private:
    bool injected_failure(const char* call, const char* kind, int address = -1);
    void set_status(int sta, int err, int cnt);
    void fail(const char* kind, int err, int address = -1, int extra_sta = 0);
    bool board_ok(int board, const char* kind, int address = -1);
    bool address_ok(int address, const char* kind);
    bool unit_ok(int ud, const char* kind);
    bool addressable(const char* call, const char* kind, int board, int address);
    SimInstrument* listener(const char* kind, int address);
    void clear_interface(const QString& kind);
    void charge(int bytes);
    qint64 deadline_us() const;
    // Sleeps until ready() holds or the deadline passes, waking at each instrument's next event.
    template <typename Ready>
    bool wait_until(Ready ready, qint64 deadline);
    void read_from(int address, QByteArray& buffer, int max_count, int termination);

    Clock& clock_;
    WireLog& log_;
    QMap<int, SimInstrument*> devices_;
    QSet<int> not_listening_;
    QSet<int> timing_out_;
    QHash<QString, int> fail_next_;
    QHash<int, QByteArray> remainder_;  // the unread rest of a reply, per talker
    Status status_;
    int timeout_code_ = 13;
    int talker_ = -1;
    bool registered_ = false;
    bool remote_enabled_ = false;
};
