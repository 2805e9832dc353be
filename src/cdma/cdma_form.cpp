// The CDMA window: set-up and leaving, the run loop, the statistics graph and its scale, the menu handlers,
// saving and printing. Its controls and menus are built in cdma_form_layout.cpp.
#include "cdma/cdma_form.h"

#include "cdma/cdma_file.h"
#include "cdma/cdma_page.h"
#include "cdma/cdma_rules.h"
#include "frame/about_window.h"
#include "frame/data_file.h"
#include "frame/meter_routines.h"
#include "frame/page_setup.h"
#include "frame/sorvdemo.h"
#include "frame/ui_scopes.h"
#include "link/globals.h"
#include "link/vbib32.h"
#include "platform/canvas.h"
#include "platform/clock.h"
#include "platform/platform.h"
#include "platform/prompts.h"
#include "stats/stats_overlay.h"
#include "stats/stats_painter.h"
#include "util/number_text.h"

#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

Clock& clk() { return *platform().clock; }
Prompts& prompts() { return *platform().prompts; }

constexpr int kMinWidth = 640;
constexpr int kMinHeight = 480;
// Shortest time between two showings of the summary during a run.
constexpr qint64 kLabelIntervalUs = 40'000;

}  // namespace

CDMA_Form::CDMA_Form(QWidget* parent) : ModeWindow(parent)
{
    setWindowTitle(QStringLiteral("CDMA mode"));
    setMinimumSize(kMinWidth, kMinHeight);
    build_controls();
    build_menus();
    cdf_values_.assign(stats::kBucketCount, 0.0f);
    graph.set_bucket_size(collection.bucket_size());
}

CDMA_Form::~CDMA_Form()
{
    if (please_wait_)
        delete please_wait_.data();
}

PageSetup& CDMA_Form::page_setup()
{
    if (!page_setup_)
        page_setup_ = std::make_unique<PageSetup>();
    return *page_setup_;
}

void CDMA_Form::send(const QString& text) { vbib32::Send(g().gpib_board, g().meter_address, text); }

void CDMA_Form::set_ticks(QAction* const* items, int count, int ticked)
{
    for (int i = 0; i < count; ++i)
        items[i]->setChecked(i == ticked);
}

// ---- set-up and leaving --------------------------------------------------------------------------------

void CDMA_Form::Form_Load()
{
    const Globals& gs = g();
    {
        const Hourglass hourglass;
        please_wait_ = new PleaseWait(sorvdemo::instance());
        clk().yield();
        repaint();

        // The share windows of all three graph kinds start at 0..100 % with the fresh graph.
        scale_busy = true;
        collection.set_readings_per_pass(2, clk().now_us());
        collection.set_bucket_size(0.01f, clk().now_us());
        graph.set_bucket_size(0.01f);
        flags.stop_requested = false;

        two_input = cdma::set_up_meter(gs.gpib_board, gs.meter_address);
        if (!two_input)
            for (int i = 1; i < cdma::measure_count; ++i)
                menuMeas[i]->setEnabled(false);

        menuReset_Sample_Buffer_Click();
        PleaseWait::dismiss(please_wait_);
    }
    scale_busy = false;
    update_Stats_Scale();
}

void CDMA_Form::Form_Unload()
{
    const Globals& gs = g();
    flags.stop_requested = true;
    // Nothing of this window may start while it says goodbye to the meter.
    setEnabled(false);
    const Hourglass hourglass;
    QWidget* frame = qobject_cast<QMdiSubWindow*>(parentWidget()) ? parentWidget() : this;
    frame->hide();
    clk().yield();
    PleaseWait::dismiss(please_wait_);
    please_wait_ = new PleaseWait(sorvdemo::instance());
    clk().yield();
    cdma::leave_meter(gs.gpib_board, gs.meter_address);
    PleaseWait::dismiss(please_wait_);
}

void CDMA_Form::resizeEvent(QResizeEvent* event)
{
    ModeWindow::resizeEvent(event);
    if (in_resize_)
        return;
    in_resize_ = true;
    setWindowTitle(QStringLiteral("Please wait...resizing display..."));
    update_Stats_Scale();
    setWindowTitle(QStringLiteral("Graphical display screen"));
    in_resize_ = false;
}

// ---- run loop ------------------------------------------------------------------------------------------

void CDMA_Form::menuRun_Click()
{
    if (unloaded() || flags.run_active)
        return;
    guarded([this] { start_test(); });
    if (flags.exit_requested)
        request_close();
}

void CDMA_Form::start_test()
{
    const Globals& gs = g();
    menuRun->setEnabled(false);
    menuResetSorvaneComms->setEnabled(false);
    menuStop->setEnabled(true);
    // The summary and, with continuous update, the graph follow every pass, but are shown at most at a
    // screen's pace: painting them after each of thousands of passes a second would cost more than the
    // passes themselves. The last pass is always shown.
    qint64 shown_at = clk().now_us() - kLabelIntervalUs;
    const auto show = [this, &shown_at](bool now) {
        const qint64 t = clk().now_us();
        if (!now && t - shown_at < kLabelIntervalUs)
            return;
        shown_at = t;
        Update_Stats_Values();
        if (continuous_update)
            redraw();
    };
    cdma::run_passes(collection, flags, gs.gpib_board, gs.meter_address, show);
    show(true);
    menuResetSorvaneComms->setEnabled(true);
    menuRun->setEnabled(true);
    menuStop->setEnabled(false);
}

void CDMA_Form::menuStop_Click() { flags.stop_requested = true; }

void CDMA_Form::menuExit_Click()
{
    if (flags.run_active) {
        flags.stop_requested = true;
        flags.exit_requested = true;
        return;
    }
    request_close();
}

void CDMA_Form::Update_Stats_Values()
{
    const cdma::SummaryTexts t = collection.texts();
    PDF_Samples_Label->setText(t.samples);
    Stats_Time_label->setText(t.time);
    Stats_Peak_Label->setText(t.peak);
    Stats_Avg_Label->setText(t.average);
    Stats_PkAvg_Label->setText(t.crest);
    Current_Crest->setText(t.current_crest);
}

void CDMA_Form::menuReset_Sample_Buffer_Click()
{
    {
        const Hourglass hourglass;
        clk().yield();
        collection.reset(clk().now_us());
        Update_Stats_Values();
    }
    redraw();
}

// ---- graph ---------------------------------------------------------------------------------------------

void CDMA_Form::redraw()
{
    PDF_Graph->canvas().cls();
    Draw_Stats_Graph(PDF_Graph->canvas());
}

void CDMA_Form::update_Stats_Scale()
{
    const QSignalBlocker block(Stats_Cursor_Scroll);
    Stats_Cursor_Scroll->setRange(graph.cursor_first(), graph.cursor_last());
    Stats_Cursor_Scroll->setPageStep(std::max(1, (graph.cursor_last() - graph.cursor_first()) / 10));
    Stats_Cursor_Scroll->setValue(graph.cursor());
    stats::apply_scale(PDF_Graph->canvas(), graph);
    redraw();
}

void CDMA_Form::Draw_Stats_Graph(Canvas& target)
{
    if (scale_busy)
        return;
    stats::draw_graph(target, collection.histogram(), graph, &cdf_values_);
    update_on_screen();
    update_stats_cursor_readout();
}

void CDMA_Form::update_on_screen()
{
    if (scale_busy)
        return;
    if (const std::optional<QString> text = graph.on_screen_text(collection.histogram()))
        percentage_on_screen->setText(*text);
}

void CDMA_Form::update_stats_cursor_readout()
{
    graph.set_cursor(Stats_Cursor_Scroll->value());
    if (Stats_Cursor_Scroll->value() != graph.cursor()) {
        const QSignalBlocker block(Stats_Cursor_Scroll);
        Stats_Cursor_Scroll->setValue(graph.cursor());
    }
    place_overlays();
    Stats_Y_readout->setText(graph.power_text());
    stats_X_readout->setText(graph.share_text(collection.histogram()));
}

void CDMA_Form::Stats_Cursor_Scroll_Change() { update_stats_cursor_readout(); }

void CDMA_Form::UpdateGraph_Click() { redraw(); }

void CDMA_Form::scale_box_Change()
{
    if (graph.apply_texts(Top_PDF_Scale->text(), Bot_PDF_Scale->text(), X_PDF_Start->text(), X_PDF_Stop->text()))
        update_Stats_Scale();
}

void CDMA_Form::write_box(const stats::BoxWrite& write)
{
    QLineEdit* box = write.box == stats::BoxWrite::Top      ? Top_PDF_Scale
                     : write.box == stats::BoxWrite::Bottom ? Bot_PDF_Scale
                     : write.box == stats::BoxWrite::Start  ? X_PDF_Start
                                                            : X_PDF_Stop;
    box->setText(write.text);
}

void CDMA_Form::write_boxes(const stats::BoxWrites& writes)
{
    scale_busy = true;
    for (const stats::BoxWrite& w : writes)
        write_box(w);
    scale_busy = false;
}

void CDMA_Form::write_boxes_last_draws(const stats::BoxWrites& writes)
{
    if (writes.empty())
        return;
    write_boxes(stats::BoxWrites(writes.begin(), writes.end() - 1));
    write_box(writes.back());
}

void CDMA_Form::share_step(const stats::StatsGraph::ShareStep& step)
{
    if (step.beep)
        prompts().beep();
    if (step.write)
        write_box(*step.write);
}

void CDMA_Form::Increase_PDF_X_Scale_Click() { share_step(graph.widen_share()); }

void CDMA_Form::Decrease_PDF_X_Scale_Click() { share_step(graph.narrow_share()); }

void CDMA_Form::Shift_up_button_Click() { write_boxes_last_draws(graph.shift_up()); }

void CDMA_Form::Shift_down_button_Click() { write_boxes_last_draws(graph.shift_down()); }

void CDMA_Form::Label13_DblClick()
{
    write_boxes(graph.zoom_out_power());
    update_Stats_Scale();
}

void CDMA_Form::place_overlays()
{
    overlay->place_cursor(graph.cursor_row());
    if (zoom_pending)
        overlay->place_zoom(zoom_box);
}

void CDMA_Form::PDF_Graph_MouseDown(double x, double y, Qt::MouseButton button)
{
    const Press press_kind = press(x, y, button, sizing_pointer);
    if (press_kind == Press::Drag)
        PDF_Graph_MouseMove(x, y);
    else if (press_kind == Press::Zoom)
        place_overlays();
}

void CDMA_Form::PDF_Graph_MouseMove(double x, double y)
{
    if (dragging) {
        if (const std::optional<int> target = graph.drag_target(y)) {
            Stats_Cursor_Scroll->setValue(*target);
            return;
        }
    }
    sizing_pointer = graph.near_cursor(y);
    if (sizing_pointer)
        PDF_Graph->setCursor(Qt::SizeVerCursor);
    else
        PDF_Graph->unsetCursor();
    if (stretch_zoom(graph.clamp_zoom_point(x, y)))
        place_overlays();
}

void CDMA_Form::PDF_Graph_MouseUp()
{
    release();
    overlay->hide_zoom();
}

void CDMA_Form::Form_KeyPress(int key)
{
    if (key == Qt::Key_Space && zoom_pending)
        Stats_Graph_Zoom();
}

void CDMA_Form::Stats_Graph_Zoom()
{
    const std::optional<stats::BoxWrites> writes = graph.zoom_to(zoom_box, overlay->pixel());
    if (!writes)
        return;
    write_boxes(*writes);
    update_Stats_Scale();
}

bool CDMA_Form::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == PDF_Graph) {
        if (event->type() == QEvent::KeyPress) {
            Form_KeyPress(static_cast<QKeyEvent*>(event)->key());
        } else if (event->type() == QEvent::Resize) {
            place_overlays();
        }
    } else if (watched == Label13 && event->type() == QEvent::MouseButtonDblClick) {
        Label13_DblClick();
    } else if (watched == PDF_Samples_Label && event->type() == QEvent::MouseButtonRelease) {
        PDF_Samples_Label_Click();
    }
    return ModeWindow::eventFilter(watched, event);
}

// ---- menus ---------------------------------------------------------------------------------------------

void CDMA_Form::menuDisplay_Click()
{
    if (unloaded())
        return;
    display_on = !display_on;
    menuDisplay->setChecked(display_on);
    send(display_on ? QStringLiteral("DISP ON") : QStringLiteral("DISP OFF"));
}

void CDMA_Form::menuResetSorvaneComms_Click()
{
    guarded([this] { module1::clear_meter_comms(this, 0); });
}

void CDMA_Form::menuPeakReset_Click(int index)
{
    if (index < 0 || index > 2)
        return;
    guarded([this, index] {
        set_ticks(menuPeakReset, 3, index);
        switch (index) {
        case cdma::peak_timed: {
            Peak_Reset_Button->setEnabled(false);
            const QString answer =
                prompts().input_box(QStringLiteral("Enter Peak Hold Reset Time.\r\nValid range: 1 to 30 seconds"));
            const cdma::PeakHoldTime t = cdma::peak_hold_time(answer);
            if (!t.refusal.isEmpty())
                prompts().message_box(t.refusal);
            menuPeakReset[cdma::peak_timed]->setText(cdma::peak_hold_caption(t.seconds));
            send(QStringLiteral("PCRH TIMED"));
            send(cdma::peak_hold_time_command(t.seconds));
            break;
        }
        case cdma::peak_manual:
            send(QStringLiteral("PCRH MAN"));
            Peak_Reset_Button->setEnabled(true);
            break;
        default:
            send(QStringLiteral("PCRH TIMED"));
            send(QStringLiteral("PCRT 0"));
            Peak_Reset_Button->setEnabled(false);
            break;
        }
    });
}

void CDMA_Form::Peak_Reset_Button_Click()
{
    if (!unloaded())
        send(QStringLiteral("MMRST"));
}

void CDMA_Form::menuMeas_Click(int index)
{
    if (unloaded() || index < 0 || index >= cdma::measure_count)
        return;
    set_ticks(menuMeas, cdma::measure_count, index);
    send(cdma::measure_command(1, index));
    send(cdma::measure_command(2, index));
}

void CDMA_Form::menuIncludeAverage_Click()
{
    guarded([this] {
        const bool include = collection.readings_per_pass() != 2;
        menuIncludeAverage->setChecked(!include);
        if (collection.sample_count() >= 1) {
            const Prompts::Answer answer = prompts().message_box(
                QStringLiteral("This will reset your current statistical data.\r\nContinue?"), Prompts::Buttons::YesNo,
                Prompts::Icon::None, cdma::include_average_title(include));
            if (answer != Prompts::Answer::Yes)
                return;
        }
        menuIncludeAverage->setChecked(include);
        collection.set_readings_per_pass(include ? 2 : 1, clk().now_us());
        menuReset_Sample_Buffer_Click();
    });
}

void CDMA_Form::menuStatsDisplay_Click(int index)
{
    if (unloaded() || index < 0 || index > 2)
        return;
    set_ticks(menuStatsDisplay, 3, index);
    const auto kind = stats::GraphKind(index);
    scale_busy = true;
    above_or_below->setText(stats::StatsGraph::above_or_below(kind));
    write_boxes(graph.set_kind(kind));
    update_Stats_Scale();
}

void CDMA_Form::menuChangeBucket_Click()
{
    guarded([this] {
        for (;;) {
            const QString answer = prompts().input_box(QStringLiteral("Enter new bucket size"),
                                                       QStringLiteral("Change bucket size"),
                                                       numtext::cstr_single(collection.bucket_size()));
            if (answer.isEmpty())
                return;
            const std::optional<float> size = cdma::bucket_size_answer(answer);
            if (!size) {
                prompts().message_box(QStringLiteral("Bucket size must be between 0.01 and 1dB"));
                continue;
            }
            graph.set_bucket_size(*size);
            collection.set_bucket_size(*size, clk().now_us());
            update_Stats_Scale();
            menuReset_Sample_Buffer_Click();
            menuChangeBucket->setText(cdma::bucket_caption(*size));
            return;
        }
    });
}

void CDMA_Form::menuResetScale_Click()
{
    if (unloaded())
        return;
    write_boxes(graph.reset_scale());
    update_Stats_Scale();
}

void CDMA_Form::menuJumpPeak_Click()
{
    if (graph.jump_to_peak(collection.histogram()))
        Stats_Cursor_Scroll->setValue(graph.cursor());
}

void CDMA_Form::menuContDisplay_Click()
{
    continuous_update = !continuous_update;
    menuContDisplay->setChecked(continuous_update);
    UpdateGraph->setEnabled(!continuous_update);
}

void CDMA_Form::menuAbout_Click()
{
    guarded([] {
        if (sorvdemo* main = sorvdemo::instance())
            main->show_help(QStringLiteral("CDMAhelp.txt"));
    });
}

void CDMA_Form::PDF_Samples_Label_Click()
{
    const bool any = collection.sample_count() >= 1;
    for (QAction* a : {menuSaveGraph, menuPrint, menuJumpPeak})
        a->setEnabled(any);
}

// ---- saving and printing -------------------------------------------------------------------------------

void CDMA_Form::menuSaveGraph_Click()
{
    guarded([this] { SaveStatsGraph(); });
}

void CDMA_Form::SaveStatsGraph()
{
    if (collection.sample_count() == 0) {
        prompts().message_box(QStringLiteral("You have no statistics to save!"));
        return;
    }
    const QString path = data_file::ask_target(QStringLiteral("Save Statistics"), QStringLiteral("Sorry...."));
    if (path.isEmpty())
        return;
    // The whole range in view, as the saved rows are.
    menuResetScale_Click();
    const QString caption = windowTitle();
    setWindowTitle(caption + QStringLiteral(" - Drawing normal view - please wait..."));
    redraw();
    setWindowTitle(caption + QStringLiteral("Saving Statistical Data - Please Wait..."));
    {
        const Hourglass hourglass;
        module1::SensorTypes ids;
        module1::get_sensor_types(ids);
        const QString text = cdma::stats_file_text(clk().date_time(), ids, collection);
        data_file::write_whole(path, text, QStringLiteral("Sorry...."));
    }
    setWindowTitle(caption);
}

void CDMA_Form::menuPrintSetup_Click()
{
    guarded([this] { page_setup().setup(); });
}

void CDMA_Form::menuPrint_Click()
{
    guarded([this] {
        Canvas page;
        if (!page_setup().begin(page))
            return;
        const QString comment = prompts().input_box(QStringLiteral("Enter Comment below\r\nPress cancel for no comment"));
        int kind = 0;
        for (int i = 0; i < 3; ++i)
            if (menuStatsDisplay[i]->isChecked())
                kind = i;
        const QString caption = windowTitle();
        setWindowTitle(caption + QStringLiteral(" - Printing....please wait"));
        cdma::PageTexts texts;
        texts.samples = PDF_Samples_Label->text();
        texts.on_screen = percentage_on_screen->text();
        texts.cursor_share = stats_X_readout->text();
        texts.above_or_below = above_or_below->text();
        texts.cursor_power = Stats_Y_readout->text();
        texts.time = Stats_Time_label->text();
        texts.peak = Stats_Peak_Label->text();
        texts.average = Stats_Avg_Label->text();
        texts.crest = Stats_PkAvg_Label->text();
        texts.start = X_PDF_Start->text();
        texts.stop = X_PDF_Stop->text();
        texts.title = cdma::page_title(kind, comment);
        cdma::draw_page(page, collection.histogram(), graph, texts);
        page_setup().finish(page);
        setWindowTitle(caption);
    });
}
