// The source-sweep window's amplifier tab: the gain and compression test wired to amp_rules.
#include "frame/data_file.h"
#include "link/globals.h"
#include "link/vbib32.h"
#include "platform/canvas.h"
#include "sweep/gaincomp.h"
#include "sweep/srcswp.h"
#include "sweep/srcswp_shared.h"
#include "util/number_text.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QVBoxLayout>

using namespace amp_rules;
using namespace srcswp_shared;

namespace {

const QString kRun = QStringLiteral("Run Amplifier Test");
const QString kStop = QStringLiteral("Stop Amplifier Test");
const QString kCaption = QStringLiteral("Source Sweep Demo");

QLineEdit* amp_box(const QString& text)
{
    auto* box = new QLineEdit(text);
    box->setFixedWidth(60);
    return box;
}

QLabel* value_label(const QString& text)
{
    auto* l = new QLabel(text);
    // A fixed size: a new reading repaints the label only, not the whole tab.
    l->setFixedSize(96, 24);
    l->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    return l;
}

}  // namespace

void srcswp::build_amp_tab(QWidget* page)
{
    AmpFrame = new QGroupBox;
    Amp_Label = new QLabel;
    Single_label =
        new QLabel(QStringLiteral("Amp Gain/Compression test is only avialible on Dual Sensor Power meters."));
    Single_label->hide();
    Run_amp_test = new QPushButton(kRun);
    Help_picture_button = new QPushButton(QStringLiteral("Connection Setup..."));
    Amp_Freq_Frame = new QGroupBox;
    Amp_Freq_Sweep_Check = new QCheckBox(QStringLiteral("Frequency Run"));
    Amp_Freq_Start = amp_box(QStringLiteral("0.05"));
    Amp_Freq_Stop = amp_box(QStringLiteral("18.00"));
    Amp_Freq_Step = amp_box(QStringLiteral("0.1"));
    auto* fg = new QGridLayout(Amp_Freq_Frame);
    fg->addWidget(Amp_Freq_Sweep_Check, 0, 0, 1, 3);
    add_entry_row(fg, 1, 0, QStringLiteral("Start"), Amp_Freq_Start, QStringLiteral("GHz"));
    // One row each, so that the tab stays narrow beside the graph.
    add_entry_row(fg, 2, 0, QStringLiteral("Stop"), Amp_Freq_Stop, QStringLiteral("GHz"));
    add_entry_row(fg, 3, 0, QStringLiteral("Step"), Amp_Freq_Step, QStringLiteral("GHz"));
    Show_CompFreq_Graph_Check = new QCheckBox(QStringLiteral("Show Graph"));
    Save_Amp_test_button = new QPushButton(QStringLiteral("Save Graph Data"));
    Show_CompFreq_Graph_Check->hide();
    Save_Amp_test_button->hide();
    Gain_label = value_label(QStringLiteral("0.000"));
    Compression_label = value_label(QStringLiteral("0.000"));
    Amp_test_at_Freq = value_label(QStringLiteral("0.000"));
    ProgressBar = new QProgressBar;
    progress_label = new QLabel(QStringLiteral("Complete"));
    ProgressBar->hide();
    progress_label->hide();
    auto* ag = new QGridLayout(AmpFrame);
    ag->addWidget(Run_amp_test, 0, 0);
    ag->addWidget(Help_picture_button, 1, 0);
    ag->addWidget(Amp_Freq_Frame, 0, 1, 2, 1);
    add_entry_row(ag, 0, 2, QStringLiteral("Gain"), Gain_label);
    add_entry_row(ag, 1, 2, QStringLiteral("1dB Comp."), Compression_label);
    add_entry_row(ag, 2, 2, QStringLiteral("@ GHz"), Amp_test_at_Freq);
    ag->addWidget(Show_CompFreq_Graph_Check, 2, 0);
    ag->addWidget(Save_Amp_test_button, 2, 1, Qt::AlignLeft);
    ag->addWidget(progress_label, 3, 0);
    ag->addWidget(ProgressBar, 3, 1, 1, 3);
    ag->setColumnStretch(4, 1);
    auto* l5 = new QVBoxLayout(page);
    l5->addWidget(Amp_Label);
    l5->addWidget(Single_label);
    l5->addWidget(AmpFrame, 1);
    AmpFrame->hide();

    // The stop request must get through while a test runs, so it is not held by the busy bracket.
    connect(Run_amp_test, &QPushButton::clicked, this, [this] {
        if (amp_test_active)
            Run_amp_test_Click();
        else
            guarded([this] { Run_amp_test_Click(); });
    });
    connect(Amp_Freq_Sweep_Check, &QCheckBox::clicked, this, guarded_slot([this] { Amp_Freq_Sweep_Check_Click(); }));
    connect(Show_CompFreq_Graph_Check, &QCheckBox::clicked, this, guarded_slot([this] { Show_CompFreq_Graph_Check_Click(); }));
    connect(Save_Amp_test_button, &QPushButton::clicked, this, guarded_slot([this] { Save_Amp_test_button_Click(); }));
    connect(Help_picture_button, &QPushButton::clicked, this, guarded_slot([this] { Help_picture_button_Click(); }));
}

void srcswp::build_amp_graph()
{
    Amp_Graph_Frame = new QFrame(form_);
    Amp_Graph_Frame->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    Amp_Graph_Frame->hide();
    Amp_Graph = new CanvasWidget(Amp_Graph_Frame);
    Amp_Graph->canvas().set_back_color(Qt::black);
    Amp_Graph->setToolTip(QStringLiteral("Green parts of the graph indicate unavailible data."));
    Amp_Cursor_Scrollbar = new QScrollBar(Qt::Horizontal, Amp_Graph_Frame);
    Amp_Cursor_Scrollbar->setRange(0, 1);
    no_amp_test_data_label = new QLabel(QStringLiteral("No Graph data yet..."), Amp_Graph_Frame);
    Amp_Freq_Start_label = new QLabel(Amp_Graph_Frame);
    Amp_Freq_Stop_Label = new QLabel(Amp_Graph_Frame);
    connect(Amp_Cursor_Scrollbar, &QScrollBar::valueChanged, this, [this] { Amp_Cursor_Scrollbar_Change(); });
}

void srcswp::layout_amp_graph()
{
    const int w = Amp_Graph_Frame->width();
    const int h = Amp_Graph_Frame->height();
    Amp_Graph->setGeometry(12, 6, std::max(20, w - 24), std::max(20, h - 60));
    const int below = Amp_Graph->geometry().bottom() + 4;
    Amp_Cursor_Scrollbar->setGeometry(12, below, Amp_Graph->width(), 18);
    Amp_Freq_Start_label->adjustSize();
    Amp_Freq_Stop_Label->adjustSize();
    Amp_Freq_Start_label->move(12, below + 22);
    Amp_Freq_Stop_Label->move(Amp_Graph->geometry().right() - Amp_Freq_Stop_Label->width(), below + 22);
    no_amp_test_data_label->adjustSize();
    no_amp_test_data_label->move(12 + (Amp_Graph->width() - no_amp_test_data_label->width()) / 2, 6 + Amp_Graph->height() / 2);
    no_amp_test_data_label->raise();
}

Canvas& srcswp::amp_canvas() { return Amp_Graph->canvas(); }

std::optional<Measured> srcswp::do_amp_test()
{
    const int before = traces_decoded;
    run_once = true;
    run_sweep();
    // Only a trace decoded by this acquisition counts, never the previous frequency's, and only when
    // every pass went through: a failed pass has shown its box and ends the test here.
    if (run_failed_ || !data_valid || traces_decoded == before)
        return std::nullopt;
    const auto m = measure(graph_trace.data(), numtext::val(left_x_axis->text()), numtext::val(right_x_axis->text()));
    if (!m) {
        // Figures no single-precision value holds: a garbled trace, told as one that never came.
        no_graph_data_box();
        return std::nullopt;
    }
    auto_scale_graph();
    Draw_Amp_Gaincomp_Graph();
    Gain_label->setText(m->gain_text);
    Compression_label->setText(m->compression_text);
    return m;
}

void srcswp::set_amp_controls_enabled(bool on)
{
    for (int tab = 0; tab < kAmpTab; ++tab)
        SSTab1->setTabEnabled(tab, on && (tab != 1 || g().maker_synth) && (tab != 2 || !g().other_synth));
    const bool other = g().other_synth;
    for (QWidget* w : std::initializer_list<QWidget*>{Amp_Freq_Frame, Help_picture_button, Amp_Freq_Start, Amp_Freq_Sweep_Check})
        w->setEnabled(on);
    // With another make of generator these stay off.
    for (QWidget* w : std::initializer_list<QWidget*>{Save_Amp_test_button, Show_CompFreq_Graph_Check, Amp_Freq_Stop, Amp_Freq_Step})
        w->setEnabled(on && !other);
    // No sweep run may start beside the test; Stop is the test's own button.
    menuRunCont->setEnabled(on);
    menuRunOnce->setEnabled(on);
    menuStop->setEnabled(false);
}

void srcswp::Run_amp_test_Click()
{
    {
        const QSignalBlocker block(Show_CompFreq_Graph_Check);
        Show_CompFreq_Graph_Check->setChecked(false);
    }
    Show_CompFreq_Graph_Check_Click();
    if (amp_test_active) {
        amp_stop_requested = true;
        return;
    }
    const bool range = Amp_Freq_Sweep_Check->isChecked();
    const Plan plan = range ? frequency_plan(Amp_Freq_Start->text(), Amp_Freq_Stop->text(), Amp_Freq_Step->text())
                            : single_plan(Amp_Freq_Start->text());
    if (plan.refusal) {
        prompts().message_box(plan.refusal->text, Prompts::Buttons::Ok, Prompts::Icon::None, plan.refusal->title);
        return;
    }
    enter_busy();
    amp_test_active = true;
    amp_stop_requested = false;
    set_amp_controls_enabled(false);
    Run_amp_test->setText(kStop);
    progress_label->show();
    ProgressBar->show();
    const Globals& gs = g();
    const auto meter = [&](const QString& text) { vbib32::Send(gs.gpib_board, gs.meter_address, text, vbib32::NLend); };
    // Checked as the window's other generator steps are: no gain for a frequency the generator never took.
    const auto generator = [this](const QString& text) { return send_generator(text, QStringLiteral("Amp test synth freq")); };
    for (const QString& c : offset_commands(QStringLiteral("A"), gs.offset_mode_a, gs.offset_fixed_a, gs.offset_table_a))
        meter(c);
    for (const QString& c : offset_commands(QStringLiteral("B"), gs.offset_mode_b, gs.offset_fixed_b, gs.offset_table_b))
        meter(c);
    meter(QStringLiteral("CHCFG 1, B/A"));
    meter(QStringLiteral("CFUSEL A, 0; CFUSEL B, 0; CFSRC A, FREQ; CFSRC B, FREQ"));
    meter(QStringLiteral("CFFRQ A,") + plan.start + QStringLiteral("GHZ"));
    meter(QStringLiteral("CFFRQ B,") + plan.start + QStringLiteral("GHZ"));
    const bool tuned = generator(QStringLiteral("F1 ") + plan.start + QStringLiteral(" GH"));
    ProgressBar->setRange(0, std::max(1, int(plan.frequencies.size()) - 1));
    ProgressBar->setValue(0);
    if (!range) {
        if (tuned && do_amp_test())
            Amp_test_at_Freq->setText(plan.start);
    } else if (tuned) {
        amp_results.clear();
        Amp_Freq_Start_label->setText(plan.start);
        int done = 0;
        for (const double f : plan.frequencies) {
            if (!generator(generator_frequency_command(f)))
                break;
            meter(meter_frequency_command(QStringLiteral("A"), f));
            meter(meter_frequency_command(QStringLiteral("B"), f));
            clk().sleep_ms(250);
            // The run ends at its first failed frequency; that failure's box has been shown once.
            const auto point = do_amp_test();
            if (!point)
                break;
            amp_results.add(f, point->gain, point->compression);
            Amp_test_at_Freq->setText(numtext::format(f, QStringLiteral("#0.000")));
            Amp_Cursor_Scrollbar->setMaximum(std::max(0, amp_results.count() - 1));
            Amp_Freq_Stop_Label->setText(Amp_test_at_Freq->text());
            ProgressBar->setValue(++done - 1);
            if (amp_stop_requested || unloaded())
                break;
        }
        amp_stop_requested = false;
    }
    set_amp_controls_enabled(true);
    progress_label->hide();
    ProgressBar->hide();
    Run_amp_test->setText(kRun);
    amp_test_active = false;
    leave_busy();
}

void srcswp::Amp_Freq_Sweep_Check_Click()
{
    g().amp_freq_sweep = Amp_Freq_Sweep_Check->isChecked();
    Show_CompFreq_Graph_Check->setVisible(g().amp_freq_sweep);
    Save_Amp_test_button->setVisible(g().amp_freq_sweep);
}

void srcswp::Show_CompFreq_Graph_Check_Click()
{
    const bool show = Show_CompFreq_Graph_Check->isChecked();
    Sweep_Graph_Frame->setVisible(!show);
    Amp_Graph_Frame->setVisible(show);
    if (!show)
        return;
    if (!amp_results.empty()) {
        Amp_Freq_Start_label->setText(numtext::cstr_double(amp_results.frequency(0)));
        Amp_Freq_Stop_Label->setText(numtext::cstr_double(amp_results.frequency(amp_results.count() - 1)));
    }
    layout_amp_graph();
    Draw_Amp_Gaincomp_Graph();
}

void srcswp::Draw_Amp_Gaincomp_Graph()
{
    Canvas& c = Amp_Graph->canvas();
    const int last = amp_results.count() - 1;
    if (last <= 0 || amp_results.gain_max() == amp_results.gain_min()) {
        Amp_Cursor_Scrollbar->setRange(0, 1);
        no_amp_test_data_label->show();
        c.cls();
        return;
    }
    no_amp_test_data_label->hide();
    c.scale(0, amp_results.gain_max(), last, amp_results.gain_min());
    c.cls();
    const QColor red(255, 0, 0), green(0, 255, 0), blue(0, 0, 255);
    c.pset(0, amp_results.gain(0), red);
    for (int i = 1; i <= last; ++i)
        c.line_to(i, amp_results.gain(i), red);
    if (amp_results.has_compression_range() && amp_results.comp_max() != amp_results.comp_min()) {
        c.scale(0, amp_results.comp_max(), last, amp_results.comp_min());
        bool gap = true;
        bool have_previous = false;
        double px = 0, py = 0;
        for (int i = 0; i <= last; ++i) {
            const float v = amp_results.compression(i);
            if (v == kNoCompression) {
                gap = true;
                continue;
            }
            // A bridge only from a real earlier point; none is invented before the first.
            if (have_previous)
                c.line(px, py, i, v, gap ? green : blue);
            if (gap)
                c.pset(i, v, blue);
            gap = false;
            have_previous = true;
            px = i;
            py = v;
        }
        // A flat compression range has nothing for the cursor to mark.
        Draw_Amp_Cursor();
    }
}

void srcswp::Draw_Amp_Cursor()
{
    Canvas& c = Amp_Graph->canvas();
    const QRectF s = c.user_scale();
    const int x = Amp_Cursor_Scrollbar->value();
    c.line(x, s.top(), x, s.bottom(), QColor(255, 255, 255));
}

void srcswp::Amp_Cursor_Scrollbar_Change()
{
    Draw_Amp_Gaincomp_Graph();
    const Readout r = amp_rules::cursor_readout(amp_results, Amp_Cursor_Scrollbar->value());
    if (!r.gain.isEmpty()) {
        Gain_label->setText(r.gain);
        Compression_label->setText(r.compression);
    }
    Amp_test_at_Freq->setText(r.frequency);
}

void srcswp::Save_Amp_test_button_Click()
{
    if (amp_results.count() < 3) {
        prompts().message_box(QStringLiteral("You have no graph to save!"));
        return;
    }
    const QString path = data_file::ask_target(QStringLiteral("Save Graph Data"), QStringLiteral("Sorry...."));
    if (path.isEmpty()) {
        setWindowTitle(kCaption);
        return;
    }
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        setWindowTitle(QStringLiteral("Please Wait....Saving Amp Compression/Gain Graph Data"));
        clk().yield(true);
        data_file::Text t;
        t.append(data_file::short_date_time_line(clk().date_time()));
        t.line();
        t.fields({QStringLiteral("Number of Samples collected:"), QString::number(amp_results.count())});
        t.line();
        t.fields({QStringLiteral("Point"), QStringLiteral("Frequency"), QStringLiteral("Gain"), QStringLiteral("1dB Compression")});
        for (int i = 0; i < amp_results.count(); ++i)
            t.fields({QString::number(i), numtext::cstr_double(amp_results.frequency(i)),
                      numtext::cstr_single(amp_results.gain(i)), numtext::cstr_single(amp_results.compression(i))});
        data_file::write_whole(path, t.text(), QStringLiteral("Sorry...."));
        QApplication::restoreOverrideCursor();
    }
    setWindowTitle(kCaption);
}

void srcswp::Help_picture_button_Click()
{
    GainComp window(this);
    window.exec();
}
