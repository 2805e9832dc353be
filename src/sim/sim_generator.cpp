#include "sim/sim_generator.h"

#include "platform/clock.h"
#include "sim/sim_meter.h"

namespace {

bool is_separator(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char(';') || c == QLatin1Char(',') || c == QLatin1Char('\t') ||
           c == QLatin1Char('\r') || c == QLatin1Char('\n');
}

const char* const value_mnemonics[] = {"L1", "L2", "F1", "F2", "SWT", "SNS", "SDT", "PDT", "PNS", "PER", "PW", "ADP1", "AMR"};
const char* const plain_mnemonics[] = {"RF0",  "RF1",  "AM0",  "AM1", "AM2", "AM3", "AM4", "AM5", "AM6", "AM7",
                                       "AMW",  "AMW1", "AMW2", "AMW3", "AMW4", "AMW5", "AMW6", "AMW7", "IP",  "P0",
                                       "SF1",  "CF1",  "SSP",  "SWP", "LSP", "OI"};
// The generator's units, as they may follow a value.
const char* const unit_names[] = {"DM", "DB", "GH", "MH", "KH", "HZ", "SEC", "MS", "US", "NS", "SPS", "PCT"};

}  // namespace

SimGenerator::SimGenerator(Clock& clock, const BenchDescription& bench) : clock_(clock), bench_(bench)
{
    for (const char* m : value_mnemonics)
        mnemonic(QLatin1String(m), true);
    for (const char* m : plain_mnemonics)
        mnemonic(QLatin1String(m), false);
}

void SimGenerator::mnemonic(const QString& name, bool takes_value) { mnemonics_[name.toUpper()] = takes_value; }

void SimGenerator::on(const QString& name, Handler handler) { handlers_[name.toUpper()] = std::move(handler); }

void SimGenerator::receive_message(const QByteArray& message)
{
    // A new message ends any answer not read.
    replies_.clear();
    const QString original = QString::fromLatin1(message);
    const QString s = original.toUpper();
    const int n = int(s.size());
    int i = 0;
    while (i < n) {
        if (is_separator(s[i])) {
            ++i;
            continue;
        }
        QString best;
        for (auto it = mnemonics_.constBegin(); it != mnemonics_.constEnd(); ++it) {
            if (it.key().size() > best.size() && QStringView(s).mid(i).startsWith(it.key()))
                best = it.key();
        }
        if (best.isEmpty()) {
            int j = i;
            while (j < n && !is_separator(s[j]))
                ++j;
            syntax_errors << original.mid(i, j - i);
            i = j;
            continue;
        }
        i += int(best.size());
        Setting setting{best, QString(), 0.0};
        // "CF1" alone is CW mode; with a value it also sets the CW frequency.
        const bool optional_value = best == QLatin1String("CF1");
        if (mnemonics_.value(best) || optional_value) {
            int j = i;
            while (j < n && s[j] == QLatin1Char(' '))
                ++j;
            const int start = j;
            if (j < n && (s[j] == QLatin1Char('+') || s[j] == QLatin1Char('-')))
                ++j;
            int digits = 0;
            while (j < n && (s[j].isDigit() || s[j] == QLatin1Char('.'))) {
                digits += s[j].isDigit() ? 1 : 0;
                ++j;
            }
            if (digits == 0) {
                if (optional_value)
                    execute(setting);
                else
                    syntax_errors << best;
                continue;
            }
            int k = j;
            while (k < n && s[k] == QLatin1Char(' '))
                ++k;
            QString unit;
            for (const char* u : unit_names) {
                const QLatin1String name(u);
                if (name.size() > unit.size() && QStringView(s).mid(k).startsWith(name))
                    unit = name;
            }
            if (!unit.isEmpty())
                j = k + int(unit.size());
            setting.text = original.mid(start, j - start).trimmed();
            setting.value = SimMeter::number_arg(s.mid(start, j - start));
            i = j;
        }
        execute(setting);
    }
}

void SimGenerator::execute(const Setting& s)
{
    const QString& m = s.mnemonic;
    texts_[m] = s.text;
    numbers_[m] = s.value;
    if (m == QLatin1String("RF0") || m == QLatin1String("RF1")) {
        rf_on = m == QLatin1String("RF1");
    } else if (m == QLatin1String("L1")) {
        level_dbm = s.value;
    } else if (m == QLatin1String("F1")) {
        frequency_hz = s.value;
    } else if (m == QLatin1String("IP") || m == QLatin1String("P0")) {
        pulse_on = m == QLatin1String("IP");
    } else if (m.size() == 3 && m.startsWith(QLatin1String("AM")) && m[2].isDigit()) {
        am_on = m[2] != QLatin1Char('0');
    } else if (m.startsWith(QLatin1String("AMW")) && m.size() == 4) {
        am_waveform = m[3].digitValue();
    } else if (m == QLatin1String("CF1")) {
        sweep_mode = QStringLiteral("CW");
        if (!s.text.isEmpty())
            frequency_hz = s.value;
    } else if (m == QLatin1String("SSP") || m == QLatin1String("SWP") || m == QLatin1String("LSP")) {
        sweep_mode = m;
    } else if (m == QLatin1String("OI")) {
        const qint64 ready = clock_.now_us() + qint64(query_latency_ms * 1000.0 + 0.5);
        replies_.push_back(Reply{ready, bench_.generator_identity.toLatin1() + '\n'});
    }
    const auto it = handlers_.constFind(m);
    if (it != handlers_.constEnd()) {
        const Handler handler = *it;
        handler(*this, s);
    }
}

bool SimGenerator::reply_pending() const { return !replies_.empty(); }

qint64 SimGenerator::reply_ready_at_us() const { return replies_.empty() ? -1 : replies_.front().ready_at_us; }

QByteArray SimGenerator::take_reply()
{
    if (replies_.empty() || replies_.front().ready_at_us > clock_.now_us())
        return {};
    QByteArray bytes = std::move(replies_.front().bytes);
    replies_.pop_front();
    return bytes;
}

int SimGenerator::serial_poll()
{
    return !replies_.empty() && replies_.front().ready_at_us <= clock_.now_us() ? 16 : 0;
}

void SimGenerator::device_clear() { replies_.clear(); }

qint64 SimGenerator::next_event_us() const
{
    if (!replies_.empty() && replies_.front().ready_at_us > clock_.now_us())
        return replies_.front().ready_at_us;
    return -1;
}
