// The amplifier gain and compression test on the source-sweep window, against a simulated amplifier
// between the generator and the sensors: single frequency, frequency runs with uncompressed points and failing
// frequencies, stop and exit, refused boxes, the commands on the wire, the data file and the offset window.
#include "link/globals.h"
#include "platform/canvas.h"
#include "sim/meter_sweep.h"
#include "sim/sim_generator.h"
#include "sim/sim_gpib_bus.h"
#include "sim/sim_meter.h"
#include "sim/sweep_amplifier.h"
#include "support/sweep_window.h"
#include "support/test_bench.h"
#include "support/window_fixture.h"
#include "sweep/gaincomp.h"
#include "sweep/srcswp.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// The window on the amplifier bench, with a level sweep from -30 to 0 dBm and the RF on.
struct AmpBench {
    TestBench tb;
    std::shared_ptr<sim_sweep::AmplifierPath> amp = std::make_shared<sim_sweep::AmplifierPath>();
    QPointer<srcswp> w;

    AmpBench()
    {
        sim_sweep::SweepBench& b = sim_sweep::bench_of(tb.meter());
        b.noise_db = 0;
        b.source_flatness = false;
        b.path = amp;
        g().meter_model = "RQ5822K";
        w = new srcswp;
        w->show();
        w->load();
        amplifier_level_sweep(w);
        tb.clear_log();
        tb.prompts.clear();
    }
    ~AmpBench()
    {
        tb.clock.on_yield = nullptr;
        if (w)
            w->menuExit_Click();
        for (int i = 0; i < 3; ++i) {
            QCoreApplication::processEvents();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    }
    void range(const QString& start, const QString& stop, const QString& step)
    {
        w->Amp_Freq_Sweep_Check->setChecked(true);
        w->Amp_Freq_Sweep_Check_Click();
        w->Amp_Freq_Start->setText(start);
        w->Amp_Freq_Stop->setText(stop);
        w->Amp_Freq_Step->setText(step);
    }
};

}  // namespace

class AmpTest : public QObject {
    Q_OBJECT
private slots:
    void single_frequency_against_the_closed_form();
    void frequency_run_with_an_uncompressed_point();
    void failing_run_ends_at_its_first_failed_frequency();
    void stop_and_exit_in_the_middle_of_a_run();
    void refused_inputs_send_nothing();
    void data_file_lines();
    void offset_window();
    void offset_answers();
};

void AmpTest::single_frequency_against_the_closed_form()
{
    AmpBench ab;
    g().offset_mode_a = 1;
    g().offset_fixed_a = 10.5;
    g().offset_mode_b = 2;
    g().offset_table_b = 3;
    // Table 3 holds the 10.5 dB that the fixed offset of sensor A adds, so the ratio stays the gain.
    sim_sweep::bench_of(ab.tb.meter()).offset_tables[3] = {{0.5e9, 10.5}, {2e9, 10.5}};
    ab.w->Amp_Freq_Start->setText("1");
    QVERIFY(ab.w->AmpFrame->isVisible());
    ab.w->Run_amp_test->click();
    QCOMPARE(ab.w->Gain_label->text(), QString("20.000 dB"));
    QCOMPARE(ab.w->Compression_label->text(), QString("-9.900 dBm"));
    QCOMPARE(ab.w->Amp_test_at_Freq->text(), QString("1"));
    const QStringList sent = ab.tb.meter_sent();
    QCOMPARE(sent.mid(0, 10), QStringList({"OFFTYP A, FIXED", "OFFFIX A,  10.5", "OFFTYP B, TABLE", "OFFTBL B,  3",
                                           "CHCFG 1, B/A", "CFUSEL A, 0; CFUSEL B, 0; CFSRC A, FREQ; CFSRC B, FREQ",
                                           "CFFRQ A,1GHZ", "CFFRQ B,1GHZ", "OGBD", "OGBD"}));
    QCOMPARE(ab.tb.generator_sent(), QStringList({"F1 1 GH"}));
    QCOMPARE(trace_requests(ab.tb), 2);
    QVERIFY(ab.tb.prompts.calls.empty());
    QCOMPARE(ab.w->Run_amp_test->text(), QString("Run Amplifier Test"));
    QVERIFY(ab.w->SSTab1->isTabEnabled(0) && ab.w->Amp_Freq_Frame->isEnabled());
    // The auto scale followed the gain trace.
    QCOMPARE(ab.w->top_y_axis->text(), QString("20.00"));
    g().offset_mode_a = g().offset_mode_b = 0;
}

void AmpTest::frequency_run_with_an_uncompressed_point()
{
    AmpBench ab;
    ab.amp->gain_slope_db_per_ghz = 1.0;   // 20, 20.5, 21, 21.5, 22 dB
    ab.amp->p1_slope_db_per_ghz = 2.0;     // -10, -9, -8, -7, -6 dBm
    ab.amp->no_compression_low_ghz = 1.9;  // 2 GHz never compresses
    ab.amp->no_compression_high_ghz = 2.1;
    ab.range("1", "3", "0.5");
    ab.w->Run_amp_test->click();
    QVERIFY(ab.tb.prompts.calls.empty());
    QCOMPARE(ab.tb.generator_sent(), QStringList({"F1 1 GH", "F1 1 GH", "F1 1.5 GH", "F1 2 GH", "F1 2.5 GH", "F1 3 GH"}));
    const amp_rules::Results& r = ab.w->amp_results;
    QCOMPARE(r.count(), 5);
    const struct {
        double ghz;
        float gain;
        float compression;
    } expected[] = {{1.0, 20.0f, -9.9f}, {1.5, 20.5f, -9.0f}, {2.0, 21.0f, amp_rules::kNoCompression}, {2.5, 21.5f, -6.9f}, {3.0, 22.0f, -6.0f}};
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(r.frequency(i), expected[i].ghz);
        QCOMPARE(r.gain(i), expected[i].gain);
        QVERIFY2(qAbs(r.compression(i) - expected[i].compression) < 1e-4, qPrintable(QString::number(r.compression(i))));
    }
    QCOMPARE(ab.w->Amp_Freq_Stop_Label->text(), QString("3.000"));
    // The cursor reads each point's own frequency back.
    ab.w->Amp_Cursor_Scrollbar->setValue(2);
    QCOMPARE(ab.w->Amp_test_at_Freq->text(), QString("2.000"));
    QCOMPARE(ab.w->Compression_label->text(), QString("N/A"));
    ab.w->Amp_Cursor_Scrollbar->setValue(4);
    QCOMPARE(ab.w->Amp_test_at_Freq->text(), QString("3.000"));
    QCOMPARE(ab.w->Gain_label->text(), QString("22"));
    // The graph: the gain in red, the compression in blue with a green bridge over the missing point.
    ab.w->Show_CompFreq_Graph_Check->setChecked(true);
    ab.w->Show_CompFreq_Graph_Check_Click();
    QVERIFY(ab.w->Amp_Graph_Frame->isVisible() && !ab.w->no_amp_test_data_label->isVisible());
    int red = 0, green = 0, blue = 0;
    for (const Canvas::Op& op : ab.w->amp_canvas().ops()) {
        if (op.kind != Canvas::Op::Line)
            continue;
        red += op.color == QColor(255, 0, 0);
        green += op.color == QColor(0, 255, 0);
        blue += op.color == QColor(0, 0, 255);
    }
    QCOMPARE(red, 4);
    QCOMPARE(blue, 2);
    QCOMPARE(green, 1);
}

void AmpTest::failing_run_ends_at_its_first_failed_frequency()
{
    // Each fault strikes from 2.5 GHz on, at its first pass or, once a trace of it has come, its second:
    // the run ends there with one box, the earlier points kept. The generator's own failure strikes while
    // it is at 2 GHz, the last frequency it takes.
    const struct {
        const char* fault;
        double at_hz;
        int traces;  // decoded before the strike
        std::function<void(TestBench&)> strike;
        QString box;
    } cases[] = {
        {"silent meter", 2.5e9, 6, [](TestBench& tb) { tb.meter().silent = true; }, "Timed out (EABO) on Reading data"},
        {"trace request not sent", 2.5e9, 6, [](TestBench& tb) { tb.bench.bus().fail_next("send", 2); },
         "No listeners error (ENOL) on Requesting data"},
        {"silent meter on the second pass", 2.5e9, 7, [](TestBench& tb) { tb.meter().silent = true; },
         "Timed out (EABO) on Reading data"},
        {"second trace request not sent", 2.5e9, 7, [](TestBench& tb) { tb.bench.bus().fail_next("send", 2); },
         "No listeners error (ENOL) on Requesting data"},
        {"bad second block", 2.5e9, 7, [](TestBench& tb) { tb.meter().garble_next = true; },
         "There is was no graph data returned."},
        {"generator gone", 2e9, 4, [](TestBench& tb) { tb.bench.bus().no_listener(tb.bench.description().generator_address); },
         "No listeners error (ENOL) on Amp test synth freq"},
    };
    for (const auto& c : cases) {
        AmpBench ab;
        ab.range("1", "4", "0.5");
        bool struck = false;
        ab.tb.clock.on_yield = [&] {
            if (!struck && ab.tb.generator().frequency_hz == c.at_hz && ab.w->traces_decoded == c.traces) {
                struck = true;
                c.strike(ab.tb);
            }
        };
        ab.w->Run_amp_test->click();
        QVERIFY2(struck, c.fault);
        QCOMPARE(ab.tb.prompts.boxes(), QStringList({c.box}));
        QCOMPARE(ab.w->amp_results.count(), 3);
        QCOMPARE(ab.w->amp_results.frequency(2), 2.0);
        QVERIFY2(!ab.tb.generator_sent().contains("F1 3 GH"), c.fault);
        QVERIFY(!ab.w->amp_test_active && ab.w->Run_amp_test->text() == "Run Amplifier Test" && ab.w->SSTab1->isTabEnabled(0));
    }
}

void AmpTest::stop_and_exit_in_the_middle_of_a_run()
{
    AmpBench ab;
    ab.range("1", "2", "0.1");
    bool clicked = false;
    int runnable = 0;
    ab.tb.clock.on_yield = [&] {
        // No sweep run may start beside the test.
        runnable += ab.w->menuRunOnce->isEnabled() || ab.w->menuRunCont->isEnabled() || ab.w->menuStop->isEnabled();
        if (!clicked && ab.w->amp_results.count() == 2) {
            clicked = true;
            ab.w->Run_amp_test->click();
        }
        // Closing during the test is refused.
        if (clicked && ab.tb.prompts.calls.empty())
            ab.w->menuExit_Click();
    };
    ab.w->Run_amp_test->click();
    ab.tb.clock.on_yield = nullptr;
    QCOMPARE(ab.w->amp_results.count(), 3);
    QVERIFY(!ab.w->amp_stop_requested && !ab.w->amp_test_active);
    QCOMPARE(ab.tb.prompts.boxes(), QStringList({"please stop the demo first."}));
    QVERIFY(ab.w && ab.w->isVisible());
    QCOMPARE(runnable, 0);
    QVERIFY(ab.w->menuRunOnce->isEnabled() && ab.w->menuRunCont->isEnabled());
    // The next run starts afresh, its stop request cleared.
    ab.range("1", "1.2", "0.1");
    ab.w->Run_amp_test->click();
    QCOMPARE(ab.w->amp_results.count(), 3);
    QCOMPARE(ab.w->amp_results.frequency(2), 1.2);
}

void AmpTest::refused_inputs_send_nothing()
{
    AmpBench ab;
    // range: a frequency run, else the single frequency of the start box.
    const struct {
        bool range;
        QString start, stop, step, box;
    } cases[] = {
        {true, "2", "1", "0.1", "Please change starting frequency"},
        {true, "0", "600", "0.1", "Please change the Stepping frequency"},
        {true, "1", "2", "0", "Please enter a frequency step greater than 0."},
        {true, "-5", "1", "0.1", "Please enter a start frequency greater than 0."},
        {true, "1", "1.79769313486232E+308", "1e307", "Please enter a stop frequency greater than 0."},
        {false, "abc", "", "", "Please enter a start frequency greater than 0."},
        {false, "1;*RST", "", "", "Please enter a start frequency greater than 0."},
        {false, "-5", "", "", "Please enter a start frequency greater than 0."},
    };
    for (const auto& c : cases) {
        ab.tb.prompts.clear();
        ab.range(c.start, c.stop, c.step);
        ab.w->Amp_Freq_Sweep_Check->setChecked(c.range);
        ab.w->Run_amp_test->click();
        QCOMPARE(ab.tb.prompts.boxes(), QStringList({c.box}));
        QCOMPARE(ab.w->Run_amp_test->text(), QString("Run Amplifier Test"));
    }
    QVERIFY(ab.tb.log().entries().empty());
}

void AmpTest::data_file_lines()
{
    AmpBench ab;
    QTemporaryDir dir;
    ab.w->Save_Amp_test_button_Click();
    QCOMPARE(ab.tb.prompts.boxes(), QStringList({"You have no graph to save!"}));
    ab.amp->no_compression_low_ghz = 1.9;
    ab.amp->no_compression_high_ghz = 2.1;
    ab.range("1.5", "2.5", "0.5");
    ab.w->Run_amp_test->click();
    ab.tb.prompts.file_names.push_back(dir.filePath("amp"));
    ab.w->Save_Amp_test_button_Click();
    QCOMPARE(ab.w->windowTitle(), QString("Source Sweep Demo"));
    QFile f(dir.filePath("amp.TXT"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(f.readAll()).split("\r\n");
    QCOMPARE(lines.mid(1), QStringList({"", "Number of Samples collected:\t3", "", "Point\tFrequency\tGain\t1dB Compression",
                                        "0\t1.5\t20\t-9.9", "1\t2\t20\t-128", "2\t2.5\t20\t-9.9", ""}));
}

void AmpTest::offset_window()
{
    TestBench tb;
    Globals& gs = g();
    gs.amp_freq_sweep = true;
    gs.offset_table_a = 4;
    // Sensor A: a table, then a cancelled table number and one out of range leave it as it was.
    tb.prompts.answers = {Prompts::Answer::Yes, Prompts::Answer::Yes, Prompts::Answer::Yes, Prompts::Answer::Ok,
                          Prompts::Answer::No};
    tb.prompts.inputs = {"12", "", "40000", "-2.5"};
    GainComp window;
    QCOMPARE(gs.offset_mode_a, 1);
    window.Offset_A_Click();
    QCOMPARE(gs.offset_mode_a, 2);
    QCOMPARE(gs.offset_table_a, 12);
    window.Offset_A_Click();
    window.Offset_A_Click();
    QCOMPARE(gs.offset_table_a, 12);
    QCOMPARE(gs.offset_mode_a, 2);
    // Sensor B: no table, a fixed value.
    window.Offset_B_Click();
    QCOMPARE(gs.offset_mode_b, 1);
    QCOMPARE(gs.offset_fixed_b, -2.5);
    QCOMPARE(tb.prompts.calls[0].text, QString("Do you wish to use an Offset Table with Sensor A?"));
    QCOMPARE(tb.prompts.calls[0].title, QString("Gain/Comp Test over frequency range"));
    QCOMPARE(tb.prompts.calls[1].title, QString("Offset Table Number for Sensor A"));
    QVERIFY(tb.prompts.boxes().contains("Offset table numbers run from 0 to 32767."));
    QCOMPARE(tb.prompts.calls.back().title, QString("Fixed offset value"));
    // Configuration 2: no offset for sensor B.
    window.Config->setCurrentIndex(1);
    QCOMPARE(gs.gaincomp_config_index, 1);
    QCOMPARE(gs.offset_mode_b, 0);
    QVERIFY(window.Offset_B->isHidden());
}

void AmpTest::offset_answers()
{
    // Each answer from kind 0, fixed 3 dB, table 4; what the meter is sent, and the box of a refusal.
    struct Case {
        bool table;
        const char* answer;
        QStringList sent;
        const char* box;
    };
    const char* no_table = "Offset table numbers run from 0 to 32767.";
    const char* no_offset = "The fixed offset must be a number of dB.";
    const QStringList off{"OFFTYP A, OFF"};
    const Case cases[] = {
        {false, "1;*RST", off, no_offset}, {false, "nan", off, no_offset}, {false, "1e999", off, no_offset},
        {false, "1e39", {"OFFTYP A, FIXED", "OFFFIX A,  1E+39"}, nullptr}, {false, "", off, nullptr},
        {false, "-5", {"OFFTYP A, FIXED", "OFFFIX A, -5"}, nullptr}, {false, " 2 ", {"OFFTYP A, FIXED", "OFFFIX A,  2"}, nullptr},
        {true, "1;*RST", off, no_table}, {true, "nan", off, no_table}, {true, "1e999", off, no_table}, {true, "-5", off, no_table},
        {true, "0", {"OFFTYP A, TABLE", "OFFTBL A,  0"}, nullptr}, {true, " 2 ", {"OFFTYP A, TABLE", "OFFTBL A,  2"}, nullptr},
    };
    for (const auto& c : cases) {
        TestBench tb;
        tb.prompts.answers = {c.table ? Prompts::Answer::Yes : Prompts::Answer::No};
        tb.prompts.inputs = {c.answer};
        int kind = 0;
        double fixed = 3;
        int table = 4;
        choose_offset("A", true, kind, fixed, table);
        QCOMPARE(amp_rules::offset_commands("A", kind, fixed, table), c.sent);
        QCOMPARE(tb.prompts.boxes().mid(1), c.box ? QStringList{c.box} : QStringList{});
    }
}

QTEST_MAIN(AmpTest)
#include "test_amp.moc"
