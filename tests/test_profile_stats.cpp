// The profile window's amplitude statistics, its statistics graph, the profile data file and the
// printed profile page, on the simulated bench.
#include "link/globals.h"
#include "platform/canvas.h"
#include "profile/graphtests.h"
#include "profile/profile_stats.h"
#include "sim/meter_profile.h"
#include "sim/sim_meter.h"
#include "support/profile_window.h"
#include "support/screen_shots.h"
#include "support/test_bench.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

using profile_stats::ProfileStats;

namespace {

graphtests* open_window(TestBench& tb)
{
    tb.meter().numbers[sim_profile::kNoiseDb] = 0;
    tb.meter().numbers[sim_profile::kFloorNoiseDb] = 0;
    auto* w = new graphtests;
    w->resize(900, 700);
    w->show();
    w->load();
    tb.clear_log();
    tb.prompts.clear();
    return w;
}

// A CW level from the generator (the bench's path loses 1 dB), collected with the statistics tab shown.
void collect_cw(graphtests* w, const QString& generator_dbm)
{
    w->SSTab1->setCurrentIndex(5);
    w->Pwr_Setting->setText(generator_dbm);
    w->do_pdf_check->setChecked(true);
    w->stats_continuous_update_check->setChecked(true);
    w->menuRunOnce_Click();
}

QByteArray read_all(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

class ProfileStatsTest : public QObject {
    Q_OBJECT
private slots:
    void summary_of_traces();
    void bucket_size_answers();
    void run_collects_and_draws();
    void scale_boxes_buttons_and_zoom();
    void data_file_lines_data();
    void data_file_lines();
    void failed_save_says_so();
    void printed_page();
};

void ProfileStatsTest::summary_of_traces()
{
    ProfileStats s;
    QCOMPARE(s.samples_text(), QString("0"));
    QCOMPARE(s.peak_text(), QString("N/A"));
    QCOMPARE(s.time_text(5), QString("N/A"));

    std::array<float, 200> at10{}, at20{};
    at10.fill(-10 * 1024.0f);
    at20.fill(-20 * 1024.0f);
    s.add_trace(at10.data(), 200, -10 * 1024.0f, 1'000'000);
    QCOMPARE(s.sample_count(), 200);
    QCOMPARE(s.histogram.count(300), 200);
    QCOMPARE((QStringList{s.samples_text(), s.peak_text(), s.mean_text(), s.peak_to_mean_text()}),
             (QStringList{"200", "-10.000", "-10.000", "0.000"}));
    // The peak is the highest trace maximum, the mean weights every trace by its 200 points.
    at20[7] = -3 * 1024.0f;
    s.add_trace(at20.data(), 200, -3 * 1024.0f, 61'000'000);
    QCOMPARE(s.peak_text(), QString("-3.000"));
    QCOMPARE(s.mean_text(), QString("-14.958"));
    QCOMPARE(s.time_text(91'000'000), QString("1.50"));
    for (int k = 0; k < 5000; ++k)
        s.add_trace(at10.data(), 200, 0, 100'000'000);
    QCOMPARE(s.samples_text(), QString("1,000,400"));

    // A restart stops the clock; it starts again with the next trace, not before.
    s.restart();
    QCOMPARE((QStringList{s.samples_text(), s.peak_text(), s.mean_text(), s.time_text(200'000'000)}),
             (QStringList{"0", "N/A", "N/A", "N/A"}));
    s.add_trace(at10.data(), 200, -10 * 1024.0f, 200'000'000);
    QCOMPARE(s.time_text(200'000'000), QString("0.00"));
}

void ProfileStatsTest::bucket_size_answers()
{
    using A = profile_stats::BucketAnswer;
    const QList<QPair<QString, A::Kind>> answers = {
        {"", A::Empty},          {"0.005", A::Refused}, {"2", A::Refused},   {"abc", A::Refused},
        {"0.05x", A::Refused},   {"0.01", A::Accepted}, {"1", A::Accepted},  {" 0.25 ", A::Accepted},
    };
    for (const auto& [text, kind] : answers)
        QCOMPARE(profile_stats::read_bucket_answer(text).kind, kind);
    QCOMPARE(profile_stats::bucket_caption(0.05f), QString("Buckets 0.05dB"));
    QCOMPARE(profile_stats::bucket_caption(1.0f), QString("Buckets 1.0dB"));
    QCOMPARE(profile_stats::bucket_caption(0.25f), QString("Buckets 0.25dB"));

    // In the window: refusals ask again; a valid size clears everything and renames the button.
    TestBench tb(TestBench::Link::Gpib);
    QPointer<graphtests> w = open_window(tb);
    collect_cw(w, "-9");
    QCOMPARE(w->statistics.sample_count(), 600);
    tb.prompts.clear();
    tb.prompts.inputs = {"0.005", "abc", "2", "0.5"};
    w->Bucket_size_button_Click();
    QCOMPARE(tb.prompts.boxes(), QStringList(3, "Bucket size must be between 0.01 and 1dB"));
    QCOMPARE(tb.prompts.calls[0].title, QString("Change bucket size"));
    QCOMPARE(w->Bucket_size_button->text(), QString("Buckets 0.5dB"));
    QCOMPARE(w->statistics.sample_count(), 0);
    QCOMPARE(w->statistics.histogram.bucket_size(), 0.5f);
    QCOMPARE((QStringList{w->PDF_Samples_Label->text(), w->Stats_Peak_Label->text(), w->Stats_Avg_Label->text(),
                          w->Stats_PkAvg_Label->text(), w->Stats_Time_label->text()}),
             (QStringList{"0", "N/A", "N/A", "N/A", "N/A"}));
    QCOMPARE(w->Stats_Cursor_Scroll->maximum(), 140);
    // An empty answer changes nothing.
    collect_cw(w, "-9");
    tb.prompts.inputs = {""};
    w->Bucket_size_button_Click();
    QCOMPARE(w->statistics.sample_count(), 600);
    QCOMPARE(w->Bucket_size_button->text(), QString("Buckets 0.5dB"));
    close_window(w);
}

void ProfileStatsTest::run_collects_and_draws()
{
    TestBench tb(TestBench::Link::Gpib);
    QPointer<graphtests> w = open_window(tb);
    // Not collected while the box is clear.
    w->menuRunOnce_Click();
    QCOMPARE(w->statistics.sample_count(), 0);
    QCOMPARE(w->Stats_Time_label->text(), QString("N/A"));

    collect_cw(w, "-9");
    QCOMPARE(w->graph_trace[0], -10 * 1024.0f);
    QCOMPARE(w->statistics.sample_count(), 600);
    QCOMPARE((QStringList{w->PDF_Samples_Label->text(), w->Stats_Peak_Label->text(), w->Stats_Avg_Label->text(),
                          w->Stats_PkAvg_Label->text()}),
             (QStringList{"600", "-10.000", "-10.000", "0.000"}));
    // The third pass drew the two before it: a bar out to x = 1 over bucket 300.
    bool bar = false;
    for (const auto& op : w->pdf_canvas().ops())
        bar = bar || (op.kind == Canvas::Op::Line && op.x1 == 1 && op.y1 == 300 && op.y2 == 301);
    QVERIFY(bar);
    QCOMPARE(w->percentage_on_screen->text(), QString("100.00%"));

    // The cursor: readouts of each kind, Jump to Peak, and a cursor held inside the window.
    w->Stats_Cursor_Scroll->setValue(250);
    QCOMPARE(w->Stats_Y_readout->text(), QString("-5.000 dBm"));
    QCOMPARE(w->stats_X_readout->text(), QString("0.00%"));
    w->pdf_peak_button_Click();
    QCOMPARE(w->Stats_Cursor_Scroll->value(), 300);
    QCOMPARE((QStringList{w->stats_X_readout->text(), w->above_or_below->text(), w->Stats_Y_readout->text()}),
             (QStringList{"100.00%", "are at", "-10.000 dBm"}));
    w->Stats_Graph_Display[2]->click();
    QCOMPARE(w->above_or_below->text(), QString("are above"));
    QCOMPARE(w->stats_X_readout->text(), QString("0.00%"));
    w->Stats_Graph_Display[1]->click();
    QCOMPARE(w->stats_X_readout->text(), QString("100.00%"));
    QCOMPARE(w->above_or_below->text(), QString("are below"));

    // Restart: everything back, the graph empty.
    w->Reset_PDF_Button->click();
    QCOMPARE((QStringList{w->PDF_Samples_Label->text(), w->Stats_Peak_Label->text(), w->Stats_Time_label->text(),
                          w->stats_X_readout->text()}),
             (QStringList{"0", "N/A", "N/A", "N/A"}));
    QVERIFY(w->pdf_canvas().ops().empty());
    QCOMPARE(w->percentage_on_screen->text(), QString("100.00%"));  // left as it was
    close_window(w);
}

void ProfileStatsTest::scale_boxes_buttons_and_zoom()
{
    TestBench tb(TestBench::Link::Gpib);
    QPointer<graphtests> w = open_window(tb);
    collect_cw(w, "-9");
    const auto window = [&] {
        const auto& s = w->stats_graph.window();
        return QList<double>{s.top, s.bottom, s.start, s.stop};
    };
    // Typed boxes apply only as a whole valid window.
    w->Top_PDF_Scale->setText("25");
    w->Bot_PDF_Scale->setText("abc");
    QCOMPARE(window(), (QList<double>{20, -50, 0, 100}));
    w->Bot_PDF_Scale->setText("-20");
    w->Top_PDF_Scale->setText("0");
    QCOMPARE(window(), (QList<double>{0, -20, 0, 100}));
    QCOMPARE(w->Stats_Cursor_Scroll->minimum(), 200);
    QCOMPARE(w->Stats_Cursor_Scroll->maximum(), 400);
    QCOMPARE(w->pdf_canvas().user_scale().bottom(), 401.0);

    // Shifts, the "dBm" zoom-out and Reset Scale.
    w->Shift_up_button->click();
    QCOMPARE(window(), (QList<double>{-2, -22, 0, 100}));
    w->Shift_down_button->click();
    QCOMPARE(window(), (QList<double>{0, -20, 0, 100}));
    w->Label13_DblClick();
    QCOMPARE(window(), (QList<double>{10, -30, 0, 100}));

    // The share window per graph kind, and its steps.
    w->X_PDF_Stop->setText("50");
    w->Stats_Graph_Display[1]->click();
    QCOMPARE(w->X_PDF_Stop->text(), QString("100"));
    w->Decrease_PDF_X_Scale->click();
    QCOMPARE(window(), (QList<double>{10, -30, 0, 90}));
    w->Increase_PDF_X_Scale->click();
    w->Increase_PDF_X_Scale->click();
    QCOMPARE(tb.prompts.beeps(), 1);
    w->Stats_Graph_Display[0]->click();
    QCOMPARE(window(), (QList<double>{10, -30, 0, 50}));

    // A zoom box drawn with the mouse and taken with the space bar.
    w->PDF_Graph_MouseDown(0.1, 250, Qt::LeftButton);
    w->PDF_Graph_MouseMove(0.4, 330);
    QVERIFY(w->zoom_pending);
    QVERIFY(w->stats_overlay->zoom_visible());
    w->Form_KeyPress(32);
    QCOMPARE(window(), (QList<double>{-5, -13, 10, 40}));
    QVERIFY(!w->stats_overlay->zoom_visible());
    w->PDF_Graph_MouseUp();
    // A click without a drag is smaller than a pixel: nothing.
    w->PDF_Graph_MouseDown(0.2, 300, Qt::LeftButton);
    w->Form_KeyPress(32);
    w->PDF_Graph_MouseUp();
    QCOMPARE(window(), (QList<double>{-5, -13, 10, 40}));

    // Dragging the cursor line.
    w->Stats_Cursor_Scroll->setValue(200);
    QCOMPARE(w->Stats_Cursor_Scroll->value(), 250);  // held inside the window
    w->PDF_Graph_MouseMove(0.2, 250.6);
    QCOMPARE(w->PDF_Graph->cursor().shape(), Qt::SizeVerCursor);
    w->PDF_Graph_MouseDown(0.2, 250.6, Qt::LeftButton);
    w->PDF_Graph_MouseMove(0.2, 290.8);
    w->PDF_Graph_MouseUp();
    QCOMPARE(w->Stats_Cursor_Scroll->value(), 290);
    QCOMPARE(w->Stats_Y_readout->text(), QString("-9.000 dBm"));

    w->Reset_PDF_Graph_Scale->click();
    QCOMPARE(window(), (QList<double>{20, -50, 0, 100}));
    close_window(w);
}

void ProfileStatsTest::data_file_lines_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("identity");
    QTest::newRow("one input") << "RQ5811K"
                               << "Power Meter Model: \tRQ5811K\r\nSerial Number: \t101507\r\nSoftware version: \t1.12\r\n"
                                  "Sensor A Type: \tRQ5531\r\nSensor A Ser.  \t8841\r\n";
    QTest::newRow("two inputs") << "RQ5822K"
                                << "Power Meter Model: \tRQ5822K\r\nSerial Number: \t101507\r\nSoftware version: \t1.12\r\n"
                                   "Sensor A Type: \tRQ5531\r\nSensor A Ser.  \t8841\r\nSensor B Type: \tRQ5531\r\n"
                                   "Sensor B Ser.  \t8842\r\n";
}

void ProfileStatsTest::data_file_lines()
{
    QFETCH(QString, model);
    QFETCH(QString, identity);
    BenchDescription d;
    d.model = model;
    TestBench tb(TestBench::Link::Gpib, d);
    QPointer<graphtests> w = open_window(tb);
    w->Pwr_Setting->setText("-9.05");
    w->menuRunOnce_Click();
    w->graph_trace[1] = 3.125f * 1024;
    w->cur1_data->setText("-10.050dBm");
    w->cur2_data->setText("3.125dBm");
    w->Pwr_diff_data->setText("13.175");
    w->Time_diff_Data->setText("0.05");
    w->time_label->setText("ms");
    QVERIFY(w->menuSaveProfileGraph->isEnabled() && w->menuPrintGraph->isEnabled());

    QTemporaryDir dir;
    tb.prompts.file_names = {dir.filePath("trace")};
    tb.prompts.inputs = {"Burst at -10 dBm"};
    const QString caption = w->windowTitle();
    QString caption_meanwhile;
    tb.prompts.on_call = [&](const RecordingPrompts::Call& c) {
        if (c.kind == "input")
            caption_meanwhile = w->windowTitle();
    };
    w->menuSaveProfileGraph->trigger();
    QCOMPARE(caption_meanwhile, QString("Please Wait....Saving Profile Graph Data"));
    QCOMPARE(w->windowTitle(), caption);
    QCOMPARE(tb.prompts.calls[0].title, QString("Save Profile Data"));
    QCOMPARE(tb.prompts.calls[1].text, QString("Enter comment for this graph.\r\nPress cancel for no comment"));

    QString expected = "**********************\r\n* Profile Graph Data\r\n* Burst at -10 dBm\r\n"
                       "**********************\r\nDate: 15 January 2026\r\nTime: 10:00\r\n\r\n" +
                       identity +
                       "Period (ms): \t10.00\r\n\r\nCursor  1: \t-10.050dBm\r\nCursor  2: \t3.125dBm\r\n"
                       "Delta Pwr: \t13.175dB\r\nDelta time: \t0.05ms\r\n\r\nPoint\tdBm\r\n0\t-10.05\r\n1\t3.125\r\n";
    for (int k = 2; k < 200; ++k)
        expected += QString("%1\t-10.05\r\n").arg(k);
    const QString written = QString::fromUtf8(read_all(dir.filePath("trace.TXT")));
    const QStringList got = written.split("\r\n"), want = expected.split("\r\n");
    QCOMPARE(got.size(), want.size());
    for (int i = 0; i < want.size(); ++i)
        QCOMPARE(got[i], want[i]);
    QCOMPARE(written, expected);
    close_window(w);
}

void ProfileStatsTest::failed_save_says_so()
{
    TestBench tb(TestBench::Link::Gpib);
    QPointer<graphtests> w = open_window(tb);
    const QString caption = w->windowTitle();
    // Cancel writes nothing and asks nothing more.
    w->SaveProfileGraph();
    QCOMPARE(tb.prompts.calls.size(), std::size_t(1));
    // A file that cannot be made is told before the comment is asked for.
    tb.prompts.file_names = {"/no/such/folder/trace.txt"};
    w->SaveProfileGraph();
    QCOMPARE(tb.prompts.calls.size(), std::size_t(3));
    QCOMPARE(tb.prompts.boxes().size(), 1);
    QVERIFY(tb.prompts.boxes()[0].startsWith("Error: "));
    QCOMPARE(tb.prompts.calls.back().title, QString("Sorry...."));
    QCOMPARE(w->windowTitle(), caption);
    close_window(w);
}

void ProfileStatsTest::printed_page()
{
    TestBench tb(TestBench::Link::Gpib);
    QPointer<graphtests> w = open_window(tb);
    w->page_setup.has_printer = [] { return false; };
    w->SSTab1->setCurrentIndex(3);
    pulse_generator(w);
    w->TrigSource->setCurrentIndex(1);
    w->TrigSource_Click();
    w->GraphLines->setChecked(true);
    w->menuRunOnce_Click();
    w->cursor1_index = 40;
    w->cursor2_index = 50;
    w->cur1_data->setText("-60.000dBm");
    w->cur2_data->setText("-21.000dBm");
    w->Pwr_diff_data->setText("39.000");
    w->Time_diff_Data->setText("0.500");
    w->time_label->setText("ms");

    const QString pdf = output_path("profile_page.pdf");
    QFile::remove(pdf);
    // Printer Setup with no printer installed chooses the PDF file; Print offers it, then asks for the
    // comment.
    tb.prompts.file_names = {pdf, pdf};
    w->menuPrinterSetup->trigger();
    tb.prompts.inputs = {"Pulse train, 0.5 ms every 2 ms"};
    const QString caption = w->windowTitle();
    w->menuPrintGraph->trigger();
    QCOMPARE(w->windowTitle(), caption);
    QVERIFY(tb.prompts.boxes().isEmpty());
    QVERIFY(read_all(pdf).startsWith("%PDF"));
    QCOMPARE(tb.prompts.calls[1].text, pdf);
    QCOMPARE(tb.prompts.calls[2].text, QString("Enter Comment below\r\nPress cancel for no comment"));

    const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
    if (!pdftotext.isEmpty()) {
        QProcess p;
        p.start(pdftotext, {"-layout", pdf, "-"});
        QVERIFY(p.waitForFinished(20000));
        const QString text = QString::fromUtf8(p.readAllStandardOutput());
        for (const char* s : {"Pulse train, 0.5 ms every 2 ms", "dBm", "20.00", "-50.00", "-15.00", "0.00ms",
                                 "10.00ms", "Cursor 1: -60.000dBm", "Delta Time: 0.500ms", "Cursor 2: -21.000dBm",
                                 "Delta Pwr: 39.000dB"})
            QVERIFY2(text.simplified().contains(s), qPrintable(QString(s) + " not in:\n" + text));
        const QString pdftoppm = QStandardPaths::findExecutable("pdftoppm");
        if (!pdftoppm.isEmpty())
            QProcess::execute(pdftoppm, {"-png", "-r", "60", "-singlefile", pdf, output_path("profile_page")});
    }

    // A power axis without height cannot be laid out.
    w->top_y_axis->setText("-10");
    w->bottom_y_axis->setText("-10");
    tb.prompts.file_names = {pdf};
    tb.prompts.inputs = {""};
    w->PrintGraph();
    QCOMPARE(tb.prompts.boxes(),
             QStringList{"Error: the graph's top and bottom are the same, so it has no height to print."});
    QCOMPARE(tb.prompts.calls.back().title, QString("Sorry..."));
    close_window(w);
}

QTEST_MAIN(ProfileStatsTest)
#include "test_profile_stats.moc"
