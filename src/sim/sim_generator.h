#pragma once
#include "sim/bench_description.h"
#include "sim/sim_instrument.h"

#include <QHash>
#include <QMap>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>

class Clock;

// The simulated signal generator of the maker's series. Its commands are run-together mnemonics, some
// with a value and a unit: "RF1; L1 -10 DM", "RF0 L1 -10.00DM", "SWT5SEC", "F1 .05 GH", "AMW3", "IP".
// A message is read as a stream of mnemonics (blanks, "," and ";" separate them but are not needed);
// the longest known mnemonic at each place wins, so "F12 GH" is F1 with the value 2. Every mnemonic is
// kept by name with the value text as sent and its value in SI units; the commonly used ones also set the
// fields below. "OI" answers the identity.
class SimGenerator : public SimInstrument {
public:
    // A mnemonic as executed: its name, the value text as sent (number and unit, empty for a mnemonic
    // without a value) and that value in SI units.
    struct Setting {
        QString mnemonic;
        QString text;
        double value = 0;
    };
    using Handler = std::function<void(SimGenerator&, const Setting&)>;

    SimGenerator(Clock& clock, const BenchDescription& bench);

    // SimInstrument
    void receive_message(const QByteArray& message) override;
    bool reply_pending() const override;
    qint64 reply_ready_at_us() const override;
    QByteArray take_reply() override;
    int serial_poll() override;
    bool requesting_service() const override { return false; }
    void device_clear() override;
    qint64 next_event_us() const override;

    // Adds a mnemonic to the language; takes_value: a number (and unit) follows it.
    void mnemonic(const QString& name, bool takes_value);
    // Runs after the mnemonic has been stored (physics of later modes hangs here).
    void on(const QString& name, Handler handler);
    // Last value text sent with a mnemonic ("-10 DM"), empty when never sent or it takes none.
    QString value(const QString& name) const { return texts_.value(name.toUpper()); }
    // Last value in SI units (dBm, Hz, s, percent, steps).
    double number(const QString& name) const { return numbers_.value(name.toUpper()); }
    // The mnemonic was received at least once.
    bool received(const QString& name) const { return texts_.contains(name.toUpper()); }
    // Mnemonics that were not understood, as sent.
    QStringList syntax_errors;

    // State the meter and the devices under test read.
    bool rf_on = false;
    double level_dbm = 0.0;         // L1
    double frequency_hz = 1.0e9;    // F1 (CW frequency, or sweep start)
    bool pulse_on = false;          // IP / P0
    bool am_on = false;             // AM7 / AM0
    int am_waveform = 1;            // AMW n
    QString sweep_mode = QStringLiteral("CW");  // "CW", "SWP" (analog), "SSP" (stepped), "LSP" (level)

    double query_latency_ms = 1.0;
    Clock& clock() { return clock_; }
    const BenchDescription& bench() const { return bench_; }

private:
    void execute(const Setting& s);

    Clock& clock_;
    BenchDescription bench_;
    QMap<QString, bool> mnemonics_;  // name -> takes a value
    QHash<QString, Handler> handlers_;
    QHash<QString, QString> texts_;
    QHash<QString, double> numbers_;
    struct Reply {
        qint64 ready_at_us;
        QByteArray bytes;
    };
    std::deque<Reply> replies_;
};
