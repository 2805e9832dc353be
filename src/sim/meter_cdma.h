#pragma once
#include "sim/sim_meter.h"

#include <QString>
#include <deque>

// The simulated meter's CDMA reading mode ("RDMODE CDMA" with "OPMD DIGIT"): "o n" answers the reading of
// channel n, a held peak when "CDMEAS n, PEAK" and the average power otherwise ("CDMEAS n, OFF").
//
// Signal. Each sensor sees a noise-like envelope over a constant average power (kAverageA, kAverageB,
// plus the input's zero offset): its instantaneous power, relative to the average, is exponentially
// distributed (a Gaussian signal's), drawn kSampleRate independent times a second and clipped at the
// crest factor kCrestDb. A peak over n samples is therefore at most average + crest, and reaches it once
// n is large; the peak over n samples is drawn at once from the maximum's own distribution
// (1 - e^-x)^n, so a long hold costs no more than a short one. An average reading is the average power
// with Gaussian noise of kAverageNoiseDb. A missing sensor reads kMissingSensorDbm, peak and average.
//
// Channels, by "CHCFG n": A and B in dBm; A-B and B-A the difference in dB; A/B and B/A the linear ratio,
// each of the two sensors' values of the same kind (peak with peak, average with average).
//
// Peak hold. The meter measures all the time; a held peak covers the envelope from its last reset to the
// end of the reading. "PCRH TIMED; PCRT t" resets it every t seconds counted from that command; with
// t = 0 it covers only the reading's own measurement time (kReadingMs), so there is no hold. "PCRH MAN"
// holds from that command until "MMRST".
//
// Timing. Every reading takes kReadingMs; its reply is ready then.
//
// For exact tests a script of readings replaces the signal: each "o n" on a peak channel takes the next
// scripted peak, on an average channel the next scripted average. Faults: a reading that is never
// answered, a reading answered with a garbled text, an "RDMODE?" that is never answered.
namespace sim_cdma {

inline const QString kAverageA = QStringLiteral("cdma.average_a_dbm");          // -10.0
inline const QString kAverageB = QStringLiteral("cdma.average_b_dbm");          // -20.0
inline const QString kCrestDb = QStringLiteral("cdma.crest_db");                // 10.0
inline const QString kSampleRate = QStringLiteral("cdma.samples_per_s");        // 1e6
inline const QString kAverageNoiseDb = QStringLiteral("cdma.average_noise_db"); // 0.02 (sigma)
inline const QString kReadingMs = QStringLiteral("cdma.reading_ms");            // 2.0
constexpr double kMissingSensorDbm = -100.0;
// What a reply with no number reads.
inline const QByteArray kNoNumberReply = QByteArrayLiteral("----");

struct Script {
    std::deque<double> peaks;
    std::deque<double> averages;
};

struct Faults {
    // Counted in readings from now (0: the next one); -1: none.
    int unanswered_reading = -1;
    int reading_without_number = -1;
    // What that reading answers instead of its number ("1e999" for one that no single holds).
    QByteArray garbled_reply = kNoNumberReply;
    bool silent_mode_query = false;
};

Script& script(SimMeter& meter);
// Queues (peak, average) pairs: one pass of a program that asks "o 1" then "o 2" takes one pair.
void script_passes(SimMeter& meter, const std::vector<std::pair<double, double>>& passes);
Faults& faults(SimMeter& meter);

// The envelope's peak over n samples, relative to the average in dB, for a uniform draw u in (0, 1):
// the inverse of (1 - e^-x)^n, clipped at the crest factor.
double peak_over_samples_db(double u, double samples, double crest_db);

// The meter is in its CDMA reading mode and its readout operating mode.
bool cdma_reading(const SimMeter& meter);

// Zero all timing so the program's own cost can be measured.
void zero_latency(SimMeter& meter);

}  // namespace sim_cdma
