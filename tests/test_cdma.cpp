// Peak CDF/PDF mode on the virtual clock: set-up and leaving on both links, scripted runs with their exact
// statistics, peak hold, failures, closing during a run, the menus, the data file and the printed page.
#include "cdma/cdma_collection.h"
#include "cdma/cdma_file.h"
#include "cdma/cdma_form.h"
#include "cdma/cdma_page.h"
#include "frame/meter_routines.h"
#include "frame/mode_registry.h"
#include "frame/page_setup.h"
#include "frame/sorvdemo.h"
#include "link/globals.h"
#include "platform/canvas.h"
#include "sim/meter_cdma.h"
#include "sim/sim_gpib_bus.h"
#include "sim/sim_meter.h"
#include "sim/sim_serial_meter.h"
#include "support/caption_log.h"
#include "support/mode_session.h"
#include "support/test_bench.h"
#include "util/number_text.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <memory>

namespace {

BenchDescription bench_with(const QString& model)
{
    BenchDescription d;
    d.model = model;
    return d;
}

// The main window with the Peak CDF/PDF mode entered through its menu, after a passed system check.
struct Session : ModeSession<CDMA_Form> {
    explicit Session(TestBench::Link link = TestBench::Link::Gpib, const BenchDescription& d = {})
        : ModeSession(Mode::Cdma, link, d)
    {
        tb.meter().numbers[sim_cdma::kAverageNoiseDb] = 0;
    }
    // A run of exactly n passes: Stop is pressed in the yield after the n-th.
    void run_passes(int n)
    {
        at_yield([this, n] { return window->collection.sample_count() >= n; }, [this] { window->menuStop_Click(); });
        window->menuRun_Click();
    }
    // Sends and device clears to the meter from entry `from` on, as "kind text", and their times.
    QStringList traffic(size_t from = 0, std::vector<qint64>* times = nullptr) const
    {
        QStringList out;
        const auto& entries = tb.bench.log().entries();
        for (size_t i = from; i < entries.size(); ++i) {
            const WireLog::Entry& e = entries[i];
            if (e.address != 13 || (e.kind != QLatin1String("send") && e.kind != QLatin1String("devclear")))
                continue;
            out << (e.kind + QLatin1Char(' ') + QString::fromLatin1(e.bytes)).trimmed();
            if (times)
                times->push_back(e.t_us);
        }
        return out;
    }
    size_t log_size() const { return tb.bench.log().entries().size(); }
};

// Shares of the window's labels as one line, for compact checks.
QStringList summary(const CDMA_Form* w)
{
    return {w->PDF_Samples_Label->text(), w->Stats_Peak_Label->text(), w->Stats_Avg_Label->text(),
            w->Stats_PkAvg_Label->text(), w->Current_Crest->text()};
}

const QString failure_box = QStringLiteral("Problem with communication with power meter.\r\nStopped run. Please Check...");

}  // namespace

class CdmaTest : public QObject {
    Q_OBJECT
private slots:
    void setup_and_leaving_sequences_data();
    void setup_and_leaving_sequences();
    void other_models_are_refused();
    void scripted_passes_give_exact_statistics();
    void peak_hold_menus_and_the_clock();
    void failures_end_the_run_and_keep_the_collection_data();
    void failures_end_the_run_and_keep_the_collection();
    void readings_beyond_500_db_are_garbled_data();
    void readings_beyond_500_db_are_garbled();
    void closing_during_a_run_data();
    void closing_during_a_run();
    void statistics_menus();
    void graph_controls();
    void data_file_exact_lines();
    void data_file_rows_reach_minus_50_dbm_data();
    void data_file_rows_reach_minus_50_dbm();
    void printed_page();
};

void CdmaTest::setup_and_leaving_sequences_data()
{
    QTest::addColumn<int>("link");
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("mode");         // the meter's reading mode at entry
    QTest::addColumn<bool>("silent_query");  // "RDMODE?" is never answered
    const int gpib = int(TestBench::Link::Gpib), serial = int(TestBench::Link::Serial);
    QTest::newRow("gpib two inputs") << gpib << "RQ5822K" << "STAND" << false;
    QTest::newRow("gpib one input, already CDMA") << gpib << "RQ5821K" << "CDMA" << false;
    QTest::newRow("serial two inputs, already CDMA") << serial << "RQ5822K" << "CDMA" << false;
    QTest::newRow("serial one input") << serial << "RQ5821K" << "STAND" << false;
    QTest::newRow("gpib, mode query unanswered") << gpib << "RQ5822K" << "CDMA" << true;
    QTest::newRow("serial, mode query unanswered") << serial << "RQ5821K" << "CDMA" << true;
}

void CdmaTest::setup_and_leaving_sequences()
{
    QFETCH(int, link);
    QFETCH(QString, model);
    QFETCH(QString, mode);
    QFETCH(bool, silent_query);
    Session s(TestBench::Link(link), bench_with(model));
    s.tb.meter().reading_mode = mode;
    sim_cdma::faults(s.tb.meter()).silent_mode_query = silent_query;
    const bool two = model == "RQ5822K";
    const bool change = mode != "CDMA" || silent_query;

    CDMA_Form* w = s.enter();
    QVERIFY(w);
    QStringList expected{"devclear", "send OPMD DIGIT", "send RDMODE?"};
    if (change)
        expected << "send RDMODE CDMA";
    expected << "send CDMEAS 1, PEAK" << "send CDMEAS 2, OFF" << "send RGH A, AUTO" << "send *IDN?";
    if (two)
        expected << "send RGH B, AUTO";
    expected << "send CHCFG 1, A" << "send CHCFG 2, A" << "send PCRH TIMED; PCRT 0";
    std::vector<qint64> t;
    QCOMPARE(s.traffic(0, &t), expected);
    // 2 s after the device clear; 13 s for a change of reading mode.
    QVERIFY(t[1] - t[0] >= 2'000'000);
    if (change)
        QVERIFY(t[4] - t[3] >= 13'000'000);
    QVERIFY(s.tb.meter().errors().isEmpty());
    QCOMPARE(s.tb.meter().reading_mode, QString("CDMA"));
    QVERIFY(s.tb.prompts.boxes().isEmpty());

    // The window's state after loading; the main window's menus are taken.
    QCOMPARE(w->two_input, two);
    for (int i = 1; i < 6; ++i)
        QCOMPARE(w->menuMeas[i]->isEnabled(), two);
    QVERIFY(w->menuMeas[0]->isEnabled() && w->menuMeas[0]->isChecked());
    QVERIFY(w->menuPeakReset[2]->isChecked() && w->menuIncludeAverage->isChecked());
    QVERIFY(w->menuStatsDisplay[0]->isChecked() && !w->menuStop->isEnabled() && !w->Peak_Reset_Button->isEnabled());
    QCOMPARE(summary(w), QStringList({"0", "N/A", "N/A", "N/A", "N/A"}));
    QCOMPARE(w->Stats_Time_label->text(), QString("N/A"));
    for (const QLabel* unit : w->findChildren<QLabel*>())
        QVERIFY(unit->text() != "dB");  // the crest factors show no unit
    QCOMPARE(w->menuChangeBucket->text(), QString("Change Bucket Size (0.01)"));
    QCOMPARE(w->Stats_Y_readout->text(), QString("20.000 dBm"));
    QCOMPARE(w->stats_X_readout->text(), QString("N/A"));
    QVERIFY(!s.main->menuConfBar->isEnabled() && !s.main->menuModeBar->isEnabled() && s.main->menuCDMA->isChecked());

    // Leaving: only the standard reading mode and its 12 s; the menus come back.
    const size_t from = s.log_size();
    const qint64 before = s.tb.clock.now_us();
    w->menuExit_Click();
    settle_events();
    QVERIFY(!s.window);
    QCOMPARE(s.traffic(from), QStringList({"send RDMODE STAND"}));
    QVERIFY(s.tb.clock.now_us() - before >= 12'000'000);
    QCOMPARE(s.tb.meter().reading_mode, QString("STAND"));
    QVERIFY(s.main->menuConfBar->isEnabled() && s.main->menuModeBar->isEnabled() && !s.main->menuCDMA->isChecked());
}

void CdmaTest::other_models_are_refused()
{
    for (const char* model : {"RQ5811K", "RQ5812K"}) {
        Session s(TestBench::Link::Gpib, bench_with(model));
        QVERIFY(!s.enter());
        QCOMPARE(s.tb.prompts.boxes(),
                 QStringList({"This mode is only allowed for the RQ5822K or RQ5821K type of Power Meters"}));
        QCOMPARE(s.tb.prompts.calls.back().title, QString("Wrong Power Meter Type: ") + model);
        QVERIFY(s.traffic().isEmpty());
    }
}

void CdmaTest::scripted_passes_give_exact_statistics()
{
    Session s;
    CDMA_Form* w = s.enter();
    QVERIFY(w);
    // Peak -10 with average -13 lands in buckets 3000 and 3300; +25 dBm in bucket 0 and -80 dBm in 7000.
    sim_cdma::script_passes(s.tb.meter(), {{-10, -13}, {-8, -12}, {25, -80}, {-10, -13}});
    s.at_yield([w] { return w->collection.sample_count() >= 1; }, [&] {
        QCOMPARE(summary(w), QStringList({"1", "-10.000", "-13.000", "3.000", "3.000"}));
        QCOMPARE(w->Stats_Time_label->text(), QString("0.00"));
        QVERIFY(!w->menuRun->isEnabled() && !w->menuResetSorvaneComms->isEnabled() && w->menuStop->isEnabled());
        s.at_yield([w] { return w->collection.sample_count() >= 4; }, [w] { w->menuStop_Click(); });
    });
    w->menuRun_Click();
    QVERIFY(w->menuRun->isEnabled() && w->menuResetSorvaneComms->isEnabled() && !w->menuStop->isEnabled());
    const stats::Histogram& h = w->collection.histogram();
    QCOMPARE(h.total(), qint64(8));
    const std::pair<int, qint64> buckets[] = {{0, 1}, {2800, 1}, {3000, 2}, {3200, 1}, {3300, 2}, {7000, 1}};
    for (const auto& [bucket, count] : buckets)
        QCOMPARE(h.count(bucket), count);
    // Means of the peaks (-0.75) and of the averages (-29.5); the crest of the means and of the last pass.
    QCOMPARE(summary(w), QStringList({"4", "-0.750", "-29.500", "28.750", "3.000"}));
    QCOMPARE(s.tb.meter_sent().count("o 1"), 4);
    QCOMPARE(s.tb.meter_sent().count("o 2"), 4);

    // The graph: the fullest bucket on screen is the first of the two with 2 of 8 readings.
    w->UpdateGraph_Click();
    w->menuJumpPeak_Click();
    QCOMPARE(w->Stats_Cursor_Scroll->value(), 3000);
    QCOMPARE(w->Stats_Y_readout->text(), QString("-10.000 dBm"));
    QCOMPARE(w->stats_X_readout->text(), QString("25.00%"));
    QCOMPARE(w->percentage_on_screen->text(), QString("100.00%"));
    w->menuStatsDisplay_Click(1);
    QCOMPARE(w->above_or_below->text(), QString("are below"));
    QCOMPARE(w->stats_X_readout->text(), QString("75.00%"));
    w->menuStatsDisplay_Click(2);
    QCOMPARE(w->above_or_below->text(), QString("are above"));
    QCOMPARE(w->stats_X_readout->text(), QString("25.00%"));
    QVERIFY(!w->PDF_Graph->canvas().ops().empty());

    // Run again: the count and the time go on from where they were.
    const double first_time = w->collection.elapsed_s();
    QVERIFY(first_time > 0);
    sim_cdma::script_passes(s.tb.meter(), {{-9, -12}, {-9, -12}});
    s.run_passes(6);
    QCOMPARE(w->collection.sample_count(), qint64(6));
    QVERIFY(w->collection.elapsed_s() > first_time);
    QCOMPARE(w->collection.histogram().count(2900), qint64(2));

    // Averages left out: one reading a pass, shares over the passes alone.
    w->menuIncludeAverage_Click();  // asks first: the first button, Yes
    QCOMPARE(s.tb.prompts.calls.back().title, QString("Exclude Average readings in Stats. anaylsis"));
    QCOMPARE(w->collection.readings_per_pass(), 1);
    QCOMPARE(summary(w), QStringList({"0", "N/A", "N/A", "N/A", "3.000"}));
    sim_cdma::script_passes(s.tb.meter(), {{-10, -13}, {-12, -13}});
    s.run_passes(2);
    QCOMPARE(w->collection.histogram().total(), qint64(2));
    QCOMPARE(w->collection.histogram().count(3300), qint64(0));
    w->menuStatsDisplay_Click(0);
    w->menuJumpPeak_Click();
    QCOMPARE(w->stats_X_readout->text(), QString("50.00%"));
}

void CdmaTest::peak_hold_menus_and_the_clock()
{
    Session s;
    CDMA_Form* w = s.enter();
    QVERIFY(w);
    struct Case {
        const char* answer;
        int seconds;
        const char* refusal;  // "" when taken
    };
    const Case cases[] = {
        {"12.8", 12, ""},   {"1", 1, ""},           {"30", 30, ""},
        {"0", 5, "0"},      {"31", 5, "31"},        {"abc", 5, "0"},
        {"", 5, "0"},       {"30.5", 30, ""},       {"1e10", 5, "10000000000"},
        {"31.9", 5, "31"},  {"-0.5", 5, "-1"},      {"1e999", 5, "1e999"},
        {" -1E400 ", 5, "-1E400"},
    };
    for (const Case& c : cases) {
        s.tb.prompts.clear();
        s.tb.prompts.inputs.push_back(c.answer);
        const size_t from = s.log_size();
        w->menuPeakReset_Click(0);
        QCOMPARE(s.tb.prompts.calls.front().text, QString("Enter Peak Hold Reset Time.\r\nValid range: 1 to 30 seconds"));
        QCOMPARE(s.tb.prompts.boxes(), *c.refusal ? QStringList{QString("Invalid value: ") + c.refusal +
                                                                  "\r\nDefaulting to 5 seconds reset"}
                                                  : QStringList{});
        QCOMPARE(s.traffic(from), QStringList({"send PCRH TIMED", QString("send PCRT %1").arg(c.seconds)}));
        QCOMPARE(w->menuPeakReset[0]->text(), QString("Peak Hold Timed Reset (%1 seconds)").arg(c.seconds));
        QVERIFY(w->menuPeakReset[0]->isChecked() && !w->menuPeakReset[2]->isChecked());
        QVERIFY(!w->Peak_Reset_Button->isEnabled());
    }
    QVERIFY(s.tb.meter().errors().isEmpty());

    // Manual hold: the button resets the meter's held peak. With the envelope's crest at 10 dB over
    // -10 dBm, a hold of more than a fraction of a second sits at 0 dBm (bucket 2000).
    size_t from = s.log_size();
    w->menuPeakReset_Click(1);
    QVERIFY(w->Peak_Reset_Button->isEnabled());
    w->Peak_Reset_Button->click();
    QCOMPARE(s.traffic(from), QStringList({"send PCRH MAN", "send MMRST"}));
    s.run_passes(500);
    const qint64 held = w->collection.histogram().count(2000);
    QVERIFY2(held >= 450, qPrintable(QString::number(held)));

    // Off: every peak covers one reading's own time and seldom reaches the crest.
    from = s.log_size();
    w->menuPeakReset_Click(2);
    QCOMPARE(s.traffic(from), QStringList({"send PCRH TIMED", "send PCRT 0"}));
    QVERIFY(!w->Peak_Reset_Button->isEnabled());
    w->menuReset_Sample_Buffer_Click();
    s.run_passes(500);
    const qint64 fresh = w->collection.histogram().count(2000);
    QVERIFY2(fresh <= 100, qPrintable(QString::number(fresh)));
    QCOMPARE(w->collection.histogram().count(3000), qint64(500));  // every average at -10 dBm
}

void CdmaTest::failures_end_the_run_and_keep_the_collection_data()
{
    QTest::addColumn<int>("link");
    QTest::addColumn<int>("reading");  // the failing reading: 0 the peak, 1 the average, of the 4th pass
    QTest::addColumn<bool>("unanswered");
    QTest::addColumn<QByteArray>("reply");  // what a garbled reading answers
    const int gpib = int(TestBench::Link::Gpib), serial = int(TestBench::Link::Serial);
    const QByteArray none = sim_cdma::kNoNumberReply;
    QTest::newRow("gpib peak times out") << gpib << 0 << true << none;
    QTest::newRow("gpib average times out") << gpib << 1 << true << none;
    QTest::newRow("gpib peak without a number") << gpib << 0 << false << none;
    QTest::newRow("serial average without a number") << serial << 1 << false << none;
    QTest::newRow("serial peak times out") << serial << 0 << true << none;
    QTest::newRow("serial average times out") << serial << 1 << true << none;
    // Numbers no single holds, which would read as infinities.
    QTest::newRow("gpib peak 1e999") << gpib << 0 << false << QByteArray("1e999");
    QTest::newRow("serial average -1E39") << serial << 1 << false << QByteArray("-1E39");
    QTest::newRow("gpib average 3.5e38 dBm") << gpib << 1 << false << QByteArray("3.5e38 dBm");
}

void CdmaTest::failures_end_the_run_and_keep_the_collection()
{
    QFETCH(int, link);
    QFETCH(int, reading);
    QFETCH(bool, unanswered);
    QFETCH(QByteArray, reply);
    Session s{TestBench::Link(link)};
    CDMA_Form* w = s.enter();
    QVERIFY(w);
    sim_cdma::script_passes(s.tb.meter(), {{-10, -13}, {-10, -13}, {-10, -13}, {-10, -13}});
    sim_cdma::Faults& f = sim_cdma::faults(s.tb.meter());
    (unanswered ? f.unanswered_reading : f.reading_without_number) = 6 + reading;
    f.garbled_reply = reply;
    QStringList shown_with_box;
    s.tb.prompts.on_call = [&](const RecordingPrompts::Call&) { shown_with_box = summary(w); };
    w->menuRun_Click();  // ends by itself
    QCOMPARE(s.tb.prompts.boxes(), QStringList({failure_box}));
    QCOMPARE(shown_with_box, QStringList({"3", "-10.000", "-13.000", "3.000", "3.000"}));
    QCOMPARE(w->collection.sample_count(), qint64(3));
    QCOMPARE(w->collection.histogram().total(), qint64(6));
    QCOMPARE(summary(w), QStringList({"3", "-10.000", "-13.000", "3.000", "3.000"}));
    QCOMPARE(s.tb.meter_sent().count("o 1"), 4);
    QCOMPARE(s.tb.meter_sent().count("o 2"), 3 + reading);
    QVERIFY(w->menuRun->isEnabled() && !w->menuStop->isEnabled() && !w->flags.run_active && !w->flags.stop_requested);

    // The link recovers: a new run adds to what was kept.
    if (link == int(TestBench::Link::Gpib))
        s.tb.meter().device_clear();
    sim_cdma::script_passes(s.tb.meter(), {{-10, -13}, {-10, -13}});
    s.run_passes(5);
    QCOMPARE(w->collection.sample_count(), qint64(5));
}

void CdmaTest::readings_beyond_500_db_are_garbled_data()
{
    QTest::addColumn<int>("link");
    QTest::addColumn<QByteArray>("peak");  // the second pass's replies
    QTest::addColumn<QByteArray>("average");
    QTest::addColumn<QString>("crest");  // its current crest factor; empty: the pass fails
    const int gpib = int(TestBench::Link::Gpib), serial = int(TestBench::Link::Serial);
    // Each a finite single; their difference is none.
    QTest::newRow("serial R3e38 and R-3e38") << serial << QByteArray("3e38") << QByteArray("-3e38") << "";
    QTest::newRow("gpib peak 1e20") << gpib << QByteArray("1e20") << QByteArray("-13") << "";
    QTest::newRow("gpib average -500") << gpib << QByteArray("-10") << QByteArray("-500") << "";
    QTest::newRow("gpib the widest taken") << gpib << QByteArray("499.99") << QByteArray("-499.99") << "999.980";
}

void CdmaTest::readings_beyond_500_db_are_garbled()
{
    QFETCH(int, link);
    QFETCH(QByteArray, peak);
    QFETCH(QByteArray, average);
    QFETCH(QString, crest);
    Session s{TestBench::Link(link)};
    CDMA_Form* w = s.enter();
    QVERIFY(w);
    sim_cdma::script_passes(s.tb.meter(), {{-10, -13}});
    const SimMeter::Handler scripted = s.tb.meter().handler("O");
    int readings = 0;
    s.tb.meter().on("O", [&](SimMeter& m, const SimMeter::Command& c) {
        if (++readings <= 2)
            return scripted(m, c);
        m.reply(readings == 3 ? peak : average);
    });
    s.run_passes(2);
    s.tb.clock.on_yield = nullptr;
    if (crest.isEmpty()) {
        QCOMPARE(s.tb.prompts.boxes(), QStringList({failure_box}));
        QCOMPARE(summary(w), QStringList({"1", "-10.000", "-13.000", "3.000", "3.000"}));
    } else {
        QVERIFY(s.tb.prompts.boxes().isEmpty());
        QCOMPARE(w->Current_Crest->text(), crest);
    }
    QTemporaryDir dir;
    s.tb.prompts.file_names.push_back(dir.filePath("stats"));
    w->menuSaveGraph_Click();
    QFile f(dir.filePath("stats.TXT"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(f.readAll());
    QVERIFY(text.contains("\r\nCrest Factor:" + w->Stats_PkAvg_Label->text() + "\r\n"));
    QVERIFY(!text.contains("inf", Qt::CaseInsensitive) && !text.contains("nan", Qt::CaseInsensitive));
}

void CdmaTest::closing_during_a_run_data()
{
    QTest::addColumn<int>("how");
    QTest::newRow("Exit") << 0;
    QTest::newRow("close box") << 1;
    QTest::newRow("main window closed") << 2;
}

void CdmaTest::closing_during_a_run()
{
    QFETCH(int, how);
    Session s;
    CDMA_Form* w = s.enter();
    QVERIFY(w);
    QPointer<QMdiSubWindow> sub = qobject_cast<QMdiSubWindow*>(w->parentWidget());
    s.at_yield([w] { return w->collection.sample_count() >= 3; }, [&] {
        if (how == 0)
            w->menuExit_Click();
        else if (how == 1)
            sub->close();
        else
            s.main->close();
        // The window and its state stay while the loop is on the stack.
        QVERIFY(s.window && !w->unloaded());
    });
    w->menuRun_Click();
    settle_events();
    QVERIFY(!s.window);
    QVERIFY(!sub);
    // The pass in which the close came was the last; the leaving command follows it, and nothing after.
    const QStringList sent = s.traffic();
    QCOMPARE(sent.count("send o 1"), 3);
    const int leave = int(sent.indexOf("send RDMODE STAND"));
    QVERIFY(leave > 0);
    QCOMPARE(sent.mid(leave - 2), QStringList({"send o 1", "send o 2", "send RDMODE STAND"}));
    QCOMPARE(s.main->isVisible(), how != 2);
}

void CdmaTest::statistics_menus()
{
    Session s;
    CDMA_Form* w = s.enter();
    QVERIFY(w);
    RecordingPrompts& p = s.tb.prompts;

    // Measurement configurations go to both channels.
    size_t from = s.log_size();
    w->menuMeas_Click(3);
    w->menuDisplay_Click();
    w->menuDisplay_Click();
    QCOMPARE(s.traffic(from), QStringList({"send CHCFG 1, B-A", "send CHCFG 2, B-A", "send DISP OFF", "send DISP ON"}));
    QVERIFY(w->menuMeas[3]->isChecked() && !w->menuMeas[0]->isChecked() && w->menuDisplay->isChecked());

    // Comms reset: the caption says so meanwhile; device clear and 2 s.
    from = s.log_size();
    const qint64 before = s.tb.clock.now_us();
    const QString caption = w->windowTitle();
    {
        CaptionLog log(w);
        w->menuResetSorvaneComms_Click();
        QCOMPARE(log.captions, QStringList({caption + " Please wait.... Clearing Power Meter", caption}));
    }
    QCOMPARE(s.traffic(from), QStringList({"devclear"}));
    QVERIFY(s.tb.clock.now_us() - before >= 2'000'000);

    // Include average with nothing collected: no question.
    p.clear();
    w->menuIncludeAverage_Click();
    QVERIFY(p.calls.empty());
    QVERIFY(!w->menuIncludeAverage->isChecked());
    QCOMPARE(w->collection.readings_per_pass(), 1);
    w->menuIncludeAverage_Click();
    QCOMPARE(w->collection.readings_per_pass(), 2);
    // With samples: No leaves everything as it was.
    sim_cdma::script_passes(s.tb.meter(), {{-10, -13}});
    s.run_passes(1);
    p.answers.push_back(Prompts::Answer::No);
    w->menuIncludeAverage_Click();
    QCOMPARE(p.calls.back().text, QString("This will reset your current statistical data.\r\nContinue?"));
    QCOMPARE(p.calls.back().title, QString("Exclude Average readings in Stats. anaylsis"));
    QVERIFY(w->menuIncludeAverage->isChecked());
    QCOMPARE(w->collection.readings_per_pass(), 2);
    QCOMPARE(w->collection.sample_count(), qint64(1));

    // Bucket size: refused until valid or empty; a valid one empties the collection.
    p.clear();
    p.inputs = {"0.005", "abc", "2", "0.25"};
    w->menuChangeBucket_Click();
    QCOMPARE(p.boxes(), QStringList(3, "Bucket size must be between 0.01 and 1dB"));
    QCOMPARE(p.calls.front().title, QString("Change bucket size"));
    QCOMPARE(w->collection.bucket_size(), 0.25f);
    QCOMPARE(w->collection.sample_count(), qint64(0));
    QCOMPARE(w->menuChangeBucket->text(), QString("Change Bucket Size (0.25)"));
    for (const auto& [answer, caption_text] : {std::pair{"1", "1.0"}, std::pair{"0.5", "0.5"}}) {
        p.inputs = {answer};
        w->menuChangeBucket_Click();
        QCOMPARE(w->menuChangeBucket->text(), QString("Change Bucket Size (%1)").arg(caption_text));
    }
    p.inputs = {""};
    w->menuChangeBucket_Click();
    QCOMPARE(w->collection.bucket_size(), 0.5f);
    QCOMPARE(w->Stats_Cursor_Scroll->maximum(), 140);

    // Save, Print and Jump follow the sample count only when it is clicked.
    w->PDF_Samples_Label_Click();
    QVERIFY(!w->menuSaveGraph->isEnabled() && !w->menuPrint->isEnabled() && !w->menuJumpPeak->isEnabled());
    sim_cdma::script_passes(s.tb.meter(), {{-10, -13}});
    s.run_passes(1);
    QVERIFY(!w->menuSaveGraph->isEnabled());
    w->PDF_Samples_Label_Click();
    QVERIFY(w->menuSaveGraph->isEnabled() && w->menuPrint->isEnabled() && w->menuJumpPeak->isEnabled());

    // Continuous update redraws every pass and takes the Update button away.
    w->menuContDisplay_Click();
    QVERIFY(w->menuContDisplay->isChecked() && !w->UpdateGraph->isEnabled());
    w->PDF_Graph->canvas().cls();
    sim_cdma::script_passes(s.tb.meter(), {{-10, -13}});
    s.run_passes(2);
    QVERIFY(!w->PDF_Graph->canvas().ops().empty());
    w->menuContDisplay_Click();
    QVERIFY(w->UpdateGraph->isEnabled());

    // Help.
    QTimer::singleShot(0, [] {
        if (QWidget* box = QApplication::activeModalWidget())
            box->close();
    });
    w->menuAbout_Click();
    QCOMPARE(s.main->Tag, QString("CDMAhelp.txt"));
}

void CdmaTest::graph_controls()
{
    Session s;
    CDMA_Form* w = s.enter();
    QVERIFY(w);
    sim_cdma::script_passes(s.tb.meter(), {{-10, -13}, {-10, -13}});
    s.run_passes(2);
    w->UpdateGraph_Click();
    const stats::ScaleWindow whole{20, -50, 0, 100};
    QCOMPARE(w->graph.window(), whole);
    QCOMPARE(w->Stats_Cursor_Scroll->minimum(), 0);
    QCOMPARE(w->Stats_Cursor_Scroll->maximum(), 7000);

    // Refused entries change nothing; an accepted one redraws with a new cursor range.
    w->Top_PDF_Scale->setText("25");
    w->Bot_PDF_Scale->setText("30");
    QCOMPARE(w->graph.window(), whole);
    w->Bot_PDF_Scale->setText("-20");
    w->Top_PDF_Scale->setText("0");
    QCOMPARE(w->graph.window(), (stats::ScaleWindow{0, -20, 0, 100}));
    QCOMPARE(w->Stats_Cursor_Scroll->minimum(), 2000);
    QCOMPARE(w->Stats_Cursor_Scroll->maximum(), 4000);
    // Shifts, the zoom-out label and the share steps.
    w->Shift_down_button_Click();
    QCOMPARE(w->graph.window(), (stats::ScaleWindow{2, -18, 0, 100}));
    w->Label13_DblClick();
    QCOMPARE(w->graph.window(), (stats::ScaleWindow{12, -28, 0, 100}));
    w->Decrease_PDF_X_Scale_Click();
    QCOMPARE(w->X_PDF_Stop->text(), QString("90"));
    w->Increase_PDF_X_Scale_Click();
    QCOMPARE(w->X_PDF_Stop->text(), QString("100"));
    s.tb.prompts.clear();
    w->Increase_PDF_X_Scale_Click();
    QCOMPARE(s.tb.prompts.beeps(), 1);

    // Each kind keeps its share window.
    w->menuStatsDisplay_Click(1);
    w->X_PDF_Start->setText("50");
    w->menuStatsDisplay_Click(0);
    QCOMPARE(w->X_PDF_Start->text(), QString("0"));
    w->menuStatsDisplay_Click(1);
    QCOMPARE(w->X_PDF_Start->text(), QString("50"));
    w->menuResetScale_Click();
    QCOMPARE(w->graph.window(), whole);

    // A zoom box applies on the space key while the button is held; one under a pixel does nothing.
    w->menuStatsDisplay_Click(0);
    w->PDF_Graph_MouseMove(0.5, 100);
    w->PDF_Graph_MouseDown(0.1, 2000, Qt::LeftButton);
    w->PDF_Graph_MouseMove(0.1, 2000.001);
    w->Form_KeyPress(Qt::Key_Space);
    QCOMPARE(w->graph.window(), whole);
    w->PDF_Graph_MouseMove(0.6, 4000);
    w->Form_KeyPress(Qt::Key_Space);
    QCOMPARE(w->graph.window(), (stats::ScaleWindow{0, -20, 10, 60}));
    w->PDF_Graph_MouseUp();
    QVERIFY(!w->zoom_pending);
    // Dragging the cursor line.
    w->Stats_Cursor_Scroll->setValue(3000);
    w->PDF_Graph_MouseMove(0.3, 3000.5);
    QVERIFY(w->sizing_pointer);
    w->PDF_Graph_MouseDown(0.3, 3000.5, Qt::LeftButton);
    w->PDF_Graph_MouseMove(0.3, 3300.7);
    w->PDF_Graph_MouseUp();
    QCOMPARE(w->Stats_Cursor_Scroll->value(), 3300);
    QCOMPARE(w->Stats_Y_readout->text(), QString("-13.000 dBm"));
    QCOMPARE(w->stats_X_readout->text(), QString("50.00%"));
}

void CdmaTest::data_file_exact_lines()
{
    QTemporaryDir dir;
    for (const char* model : {"RQ5822K", "RQ5821K"}) {
        Session s(TestBench::Link::Gpib, bench_with(model));
        CDMA_Form* w = s.enter();
        QVERIFY(w);
        RecordingPrompts& p = s.tb.prompts;
        // Nothing collected: only the box.
        w->menuSaveGraph_Click();
        QCOMPARE(p.boxes(), QStringList({"You have no statistics to save!"}));
        QCOMPARE(p.calls.size(), size_t(1));

        // 1000 passes at -10 dBm peak, averages at -10.2 except 20 at -10.5: shares of 2000 readings.
        std::vector<std::pair<double, double>> passes(1000, {-10.0, -10.2});
        for (int i = 0; i < 20; ++i)
            passes[std::size_t(i)].second = -10.5;
        sim_cdma::script_passes(s.tb.meter(), passes);
        s.run_passes(1000);
        w->menuStatsDisplay_Click(2);  // the file's CDF column does not depend on the graph shown
        w->Top_PDF_Scale->setText("0");
        const QString path = dir.filePath(QString("stats_") + model);
        p.file_names.push_back(path);
        p.clear();
        w->menuSaveGraph_Click();
        QVERIFY(p.boxes().isEmpty());
        QCOMPARE(w->graph.window(), (stats::ScaleWindow{20, -50, 0, 100}));
        QFile f(path + ".TXT");
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(f.readAll()).split("\r\n");
        const QDateTime now = s.tb.clock.date_time();
        const QLocale l = QLocale::system();
        QStringList head{l.toString(now.date(), QLocale::ShortFormat) + "\t" + l.toString(now.time(), QLocale::ShortFormat),
                         "",
                         "Power Meter Model: \t" + QString(model),
                         "Serial Number: \t101507",
                         "Software version: \t1.12",
                         "Sensor A Type: \tRQ5531",
                         "Sensor A Ser.  \t8841"};
        if (QString(model) == "RQ5822K")
            head << "Sensor B Type: \tRQ5531" << "Sensor B Ser.  \t8842";
        head << ""
             << "S"
             << "Number of Samples collected:\t1000"
             << ""
             << "Average of Peaks: -10.000"
             << "Total Average: -10.206"
             << "Crest Factor:0.206"
             << "Time Taken: " + w->Stats_Time_label->text() << ""
             << "Point\tdBm\tPercentage\ttotal\tCDF\t1-CDF";
        QCOMPARE(lines.mid(0, head.size()), head);
        const QStringList rows = lines.mid(head.size());
        QCOMPARE(rows.size(), 7001 + 1);  // and the empty text after the last CR LF
        QCOMPARE(rows[0], QString("0\t20\t0\t0\t1\t0"));
        QCOMPARE(rows[3000], QString("3000\t-10\t0.5\t1000\t1\t0"));
        QCOMPARE(rows[3020], QString("3020\t-10.2\t0.49\t980\t0.5\t0.5"));
        QCOMPARE(rows[3050], QString("3050\t-10.5\t0.01\t20\t0.01\t0.99"));
        QCOMPARE(rows[7000], QString("7000\t-50\t0\t0\t0\t1"));
        QCOMPARE(rows[7001], QString());
    }
}

void CdmaTest::data_file_rows_reach_minus_50_dbm_data()
{
    QTest::addColumn<float>("bucket_size");
    QTest::addColumn<int>("last");  // Int(70 / size) in single precision
    const std::pair<float, int> sizes[] = {{0.01f, 7000}, {0.05f, 1400}, {0.07f, 1000}, {0.1f, 700},
                                           {0.14f, 500},  {0.2f, 350},   {0.28f, 250},  {0.4f, 175},
                                           {0.5f, 140},   {0.56f, 125},  {1.0f, 70}};
    for (const auto& [size, last] : sizes)
        QTest::addRow("%g", double(size)) << size << last;
}

void CdmaTest::data_file_rows_reach_minus_50_dbm()
{
    QFETCH(float, bucket_size);
    QFETCH(int, last);
    cdma::Collection c;
    c.set_bucket_size(bucket_size, 0);
    const QStringList lines = cdma::stats_file_text(QDateTime(), module1::SensorTypes{}, c).split("\r\n");
    const QStringList rows = lines.mid(lines.indexOf("Point\tdBm\tPercentage\ttotal\tCDF\t1-CDF") + 1);
    QCOMPARE(rows.size(), last + 1 + 1);  // and the empty text after the last CR LF
    const QStringList final_row = rows[last].split('\t');
    QCOMPARE(final_row[0], QString::number(last));
    QCOMPARE(numtext::format(numtext::val(final_row[1]), "0.00"), QString("-50.00"));
}

void CdmaTest::printed_page()
{
    QTemporaryDir dir;
    Session s;
    CDMA_Form* w = s.enter();
    QVERIFY(w);
    w->page_setup().has_printer = [] { return false; };
    sim_cdma::script_passes(s.tb.meter(), {{-10, -13}, {-10, -13}, {-8, -13}, {-10, -12}});
    s.run_passes(4);
    w->menuStatsDisplay_Click(1);
    w->Bot_PDF_Scale->setText("-20");
    w->menuJumpPeak_Click();
    const QString pdf = qEnvironmentVariable("PELMORA_TEST_OUTPUT", dir.path()) + "/cdma_page.pdf";
    s.tb.prompts.inputs.push_back("Base station 3");
    s.tb.prompts.file_names.push_back(pdf);
    const QString caption = w->windowTitle();
    w->menuPrint_Click();
    QCOMPARE(w->windowTitle(), caption);
    QVERIFY(s.tb.prompts.boxes().isEmpty());
    QCOMPARE(s.tb.prompts.calls[0].kind, QString("save_as"));
    QCOMPARE(s.tb.prompts.calls[1].text, QString("Enter Comment below\r\nPress cancel for no comment"));
    QVERIFY(QFile::exists(pdf));

    QProcess text;
    text.start("pdftotext", {"-layout", pdf, "-"});
    if (!text.waitForFinished(20000) || text.exitCode() != 0)
        QSKIP("pdftotext is not available");
    const QString page = QString::fromUtf8(text.readAllStandardOutput());
    for (const char* expected :
         {"CDF - Base station 3", "4 samples collected", "100.00% are shown here.", "are below -10.000 dBm",
          "Time Taken:", "Average of Peaks:", "-9.500dBm", "Average:", "-12.750dBm", "Creset Factor:", "3.250dB",
          "20.00", "-20.00", "dBm", "0%", "100%"})
        QVERIFY2(page.contains(QLatin1String(expected)), expected);
    QVERIFY(page.contains("87.50%"));

    // The share axis's ticks end above the first summary line, half a text height under the graph, on
    // a portrait and a landscape page.
    for (const QSizeF device : {QSizeF(2550, 3300), QSizeF(4960, 3508)}) {
        Canvas sheet;
        sheet.set_device(device, 300);
        cdma::PageTexts texts;
        texts.samples = "4";
        cdma::draw_page(sheet, w->collection.histogram(), w->graph, texts);
        const double bottom = w->graph.coordinates().bottom();
        double line1_top = 0;
        for (const Canvas::Op& op : sheet.ops())
            if (op.kind == Canvas::Op::Print && op.text.startsWith("4 samples collected"))
                line1_top = op.y1;
        QVERIFY(line1_top > bottom);
        for (const Canvas::Op& op : sheet.ops())
            if (op.kind == Canvas::Op::Line && op.x1 == op.x2 && op.y1 == bottom)
                QVERIFY2(op.y2 < line1_top, qPrintable(QString("%1 reaches %2").arg(op.y2).arg(line1_top)));
    }

    // Kept for a person to look at.
    QFile::remove(pdf + ".samples.pdf");
    QFile::copy(pdf, pdf + ".samples.pdf");

    // A page without samples prints all the same, with the labels' texts.
    w->menuReset_Sample_Buffer_Click();
    s.tb.prompts.inputs.push_back("");
    s.tb.prompts.file_names.push_back(pdf);
    w->menuPrint_Click();
    text.start("pdftotext", {"-layout", pdf, "-"});
    QVERIFY(text.waitForFinished(20000));
    const QString empty = QString::fromUtf8(text.readAllStandardOutput());
    QVERIFY(empty.contains("0 samples collected"));
    QVERIFY(empty.contains("N/A"));
}

QTEST_MAIN(CdmaTest)
#include "test_cdma.moc"
