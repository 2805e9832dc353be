#include "gsm/frm_gsm.h"

#include "frame/data_file.h"
#include "frame/form_area.h"
#include "frame/meter_routines.h"
#include "frame/page_setup.h"
#include "frame/sorvdemo.h"
#include "frame/ui_scopes.h"
#include "gsm/frm_gsm_config.h"
#include "gsm/gsm_layout.h"
#include "link/globals.h"
#include "link/gpibgen.h"
#include "link/vbib32.h"
#include "platform/canvas.h"
#include "platform/clock.h"
#include "platform/platform.h"
#include "platform/prompts.h"

#include <QApplication>
#include <QEvent>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QLocale>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>

namespace {

constexpr int kReplyBufferSize = 1600;
const QString kCommsError = QStringLiteral("Comms Error");

Clock& clk() { return *platform().clock; }
Prompts& prompts() { return *platform().prompts; }

void send_unchecked(const QString& text)
{
    vbib32::Send(g().gpib_board, g().meter_address, text, vbib32::NLend);
}

}  // namespace

// The printer chosen with "Printer Setup...", kept for each print.
struct frmGSM::Printing {
    PageSetup page_setup;
};

// ============================================================================================== building

frmGSM::frmGSM(QWidget* parent)
    : ModeWindow(parent), reply_buffer(vbib32::fixed_buffer(kReplyBufferSize)), printing_(std::make_unique<Printing>())
{
    setWindowTitle(QStringLiteral("GSM Slot Tester"));
    auto* area = new FormArea(this);
    form_ = area;
    setCentralWidget(form_);
    form_->setMouseTracking(true);
    form_->installEventFilter(this);
    build_menus();

    Frame1 = new QGroupBox(QStringLiteral("GSM Slots"), form_);
    Frame1->setMouseTracking(true);
    Frame1->installEventFilter(this);
    cmdResetAvg = new QPushButton(QStringLiteral("Reset Average"), Frame1);
    cmdResetAvg->setGeometry(twips_to_px_x(gsm::kResetButton.left()), twips_to_px_y(gsm::kResetButton.top()),
                             twips_to_px_x(gsm::kResetButton.width()), twips_to_px_y(gsm::kResetButton.height()));
    cmdResetAvg->setEnabled(false);
    connect(cmdResetAvg, &QPushButton::clicked, this, guarded_slot([this] { cmdResetAvg_Click(); }));
    Slot_graph = new CanvasWidget(Frame1);
    Slot_graph->setMouseTracking(true);
    connect(Slot_graph, &CanvasWidget::mouse_move, this, [this](double x, double, Qt::MouseButtons) {
        Slot_graph_MouseMove(x);
    });
    mouselabel = new QLabel(Slot_graph);
    mouselabel->setStyleSheet(QStringLiteral("QLabel { background: #ffffe1; color: black; border: 1px solid gray; padding: 1px; }"));
    mouselabel->hide();

    // Never smaller than the layout can use; the designed size to start with.
    form_->setMinimumSize(twips_to_px_x(gsm::kMinOuterWidth - gsm::kBorderWidth),
                          twips_to_px_y(gsm::kMinOuterHeight - gsm::kBorderHeight));
    resize(designed_size());
    area->on_resize = [this] { Form_Resize(); };
}

QSize frmGSM::designed_size() const
{
    return {twips_to_px_x(gsm::kClientWidth), twips_to_px_y(gsm::kClientHeight) + menuBar()->sizeHint().height()};
}

frmGSM::~frmGSM() = default;

void frmGSM::build_menus()
{
    const auto on = [this](void (frmGSM::*handler)()) { return guarded_slot([this, handler] { (this->*handler)(); }); };
    menuFileBar = menuBar()->addMenu(QStringLiteral("&File"));
    menuSave = menuFileBar->addAction(QStringLiteral("Save Graph"), this, on(&frmGSM::menuSave_Click));
    menuPrintSetup = menuFileBar->addAction(QStringLiteral("Printer Setup..."), this, on(&frmGSM::menuPrintSetup_Click));
    menuPrint = menuFileBar->addAction(QStringLiteral("Print"), this, on(&frmGSM::menuPrint_Click));
    menuExit = menuFileBar->addAction(QStringLiteral("E&xit"), this, [this] { menuExit_Click(); });
    menuControlBar = menuBar()->addMenu(QStringLiteral("Control"));
    menuconfig = menuControlBar->addAction(QStringLiteral("Configure..."), this, on(&frmGSM::menuconfig_Click));
    menuRun = menuControlBar->addAction(QStringLiteral("Run"), this, on(&frmGSM::menuRun_Click));
    menuStop = menuControlBar->addAction(QStringLiteral("Stop"), this, [this] { menuStop_Click(); });
    menuStop->setEnabled(false);
    menuDisplay = menuControlBar->addAction(QStringLiteral("Power Meter Display"), this, on(&frmGSM::menuDisplay_Click));
    menuDisplay->setCheckable(true);
    menuDisplay->setChecked(true);
    menuReset = menuControlBar->addAction(QStringLiteral("Reset Power Meter Comms"), this, on(&frmGSM::menuReset_Click));
    menuAvgBar = menuBar()->addMenu(QStringLiteral("Averaging"));
    for (int n = 0; n < int(menuAvg.size()); ++n) {
        QAction* a = menuAvgBar->addAction(gsm::kAveragingItems[n], this, guarded_slot([this, n] { menuAvg_Click(n); }));
        a->setCheckable(true);
        menuAvg[std::size_t(n)] = a;
    }
    menuAvg[0]->setChecked(true);
    menuHelpBar = menuBar()->addMenu(QStringLiteral("Help"));
    menuAbout = menuHelpBar->addAction(QStringLiteral("About"), this, on(&frmGSM::menuAbout_Click));
}

int frmGSM::twips_to_px_x(double t) const { return int(std::lround(t * logicalDpiX() / 1440.0)); }

int frmGSM::twips_to_px_y(double t) const { return int(std::lround(t * logicalDpiY() / 1440.0)); }

// ============================================================================================== plumbing

QString frmGSM::error_title() const { return Prompts::default_title(); }

void frmGSM::request_stop()
{
    // Exit, the close box or the main window's closing during a run: the loop ends after its pass and the
    // window then closes.
    gsm_stop_requested = true;
    gsm_exit_pending = true;
}

bool frmGSM::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseMove && watched != Slot_graph)
        hide_mouse_label();
    return ModeWindow::eventFilter(watched, event);
}

// ============================================================================================== life cycle

void frmGSM::Form_Load()
{
    // Shown in the main window at the designed size. The frame's own size means nothing before it is
    // shown; its margins (border and title bar) are already set.
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        sub->resize(designed_size().grownBy(sub->contentsMargins()));
    frame = gsm::FrameDescription{};
    setup();
    send_unchecked(QStringLiteral("OPMD PROFILE"));
    send_unchecked(QStringLiteral("GRAVG OFF"));
    send_unchecked(QStringLiteral("GTDLY 0; GTGW 5.5ms; GTSRC EXTTTL"));
    gsm_stop_requested = false;
    gsm_exit_pending = false;
}

void frmGSM::Form_Unload()
{
    // Nothing may start while the leaving commands go out.
    menuBar()->setEnabled(false);
    form_->setEnabled(false);
    {
        const Hourglass hourglass;
        clk().yield();
        vbib32::Send(g().gpib_board, g().meter_address, "*RST;DISP ON;opmd digit", vbib32::NLend);
        gpibgen::gpib_error(QStringLiteral("Exit form"));
        clk().sleep_ms(2000);
    }
    // The main window's menus come back through on_unloaded.
    clk().yield();
}

// ============================================================================================== layout

void frmGSM::Form_Resize()
{
    const double tx = 1440.0 / logicalDpiX();
    const double ty = 1440.0 / logicalDpiY();
    const QSizeF outer(form_->width() * tx + gsm::kBorderWidth, form_->height() * ty + gsm::kBorderHeight);
    const auto layout = gsm::layout_for(outer, frame.gsm_slots, int(lblslotavg.size()));
    if (!layout)
        return;  // too small to lay out: the controls stay as they are
    const auto px = [&](const QRectF& r) {
        return QRect(int(std::lround(r.left() / tx)), int(std::lround(r.top() / ty)),
                     int(std::lround(r.width() / tx)), int(std::lround(r.height() / ty)));
    };
    Frame1->setGeometry(px(layout->frame));
    Slot_graph->setGeometry(px(layout->graph));
    for (std::size_t n = 0; n < lblslotavg.size(); ++n) {
        // Edges from the exact positions, so neighbouring labels neither overlap nor leave gaps.
        const QRectF r = layout->labels[n];
        const int left = int(std::lround(r.left() / tx));
        const int right = int(std::lround(r.right() / tx));
        lblslotavg[n]->setGeometry(left, int(std::lround(r.top() / ty)), right - left, int(std::lround(r.height() / ty)));
    }
    fit_slot_labels();
    gsm::set_graph_scale(Slot_graph->canvas(), frame.gsm_slots);
    Draw_Slots();
}

void frmGSM::fit_slot_labels()
{
    QFont f = font();
    if (lblslotavg.empty() || f.pointSizeF() <= 0)
        return;
    int narrowest = lblslotavg.front()->width();
    for (const QLabel* label : lblslotavg)
        narrowest = std::min(narrowest, label->width());
    // The widest text with a blank's room, half each side, so that neighbours never run together.
    const QString widest = gsm::kWidestLabelText + QLatin1Char(' ');
    f.setPointSizeF(gsm::label_point_size(f.pointSizeF(), narrowest, [&f, &widest](double points) {
        QFont sized = f;
        sized.setPointSizeF(points);
        return QFontMetricsF(sized).horizontalAdvance(widest);
    }));
    for (QLabel* label : lblslotavg)
        label->setFont(f);
}

void frmGSM::setup()
{
    slot_average.assign(std::size_t(std::max(frame.gsm_slots, 0)), 0.0f);
    while (int(lblslotavg.size()) > frame.gsm_slots) {
        delete lblslotavg.back();
        lblslotavg.pop_back();
    }
    while (int(lblslotavg.size()) < frame.gsm_slots) {
        auto* label = new QLabel(Frame1);
        label->setAlignment(Qt::AlignCenter);
        label->setMouseTracking(true);
        label->installEventFilter(this);
        label->show();
        lblslotavg.push_back(label);
    }
    for (QLabel* label : lblslotavg)
        label->setText(QStringLiteral("0.00dBm"));
    if (mouse_slot && *mouse_slot > frame.gsm_slots) {
        mouse_slot.reset();
        mouselabel->hide();
    }
    Form_Resize();
}

// ============================================================================================== menus

void frmGSM::menuRun_Click()
{
    menuRun->setEnabled(false);
    menuconfig->setEnabled(false);
    menuReset->setEnabled(false);
    menuFileBar->menuAction()->setEnabled(false);
    menuStop->setEnabled(true);
    start_test();
    if (!gsm_exit_pending) {
        menuRun->setEnabled(true);
        menuconfig->setEnabled(true);
        menuReset->setEnabled(true);
        menuFileBar->menuAction()->setEnabled(true);
        menuStop->setEnabled(false);
    }
}

void frmGSM::menuconfig_Click()
{
    frmGSMconfig dialog(frame, this);
    if (dialog.exec() == QDialog::Accepted)
        frame = dialog.frame();
    setup();
}

void frmGSM::menuAvg_Click(int index)
{
    for (QAction* a : menuAvg)
        a->setChecked(false);
    menuAvg[std::size_t(std::clamp(index, 0, 9))]->setChecked(true);
    cmdResetAvg->setEnabled(index > 0);
    for (const QString& command : gsm::averaging_commands(index))
        send_unchecked(command);
}

void frmGSM::cmdResetAvg_Click() { send_unchecked(QStringLiteral("GRSWR")); }

void frmGSM::menuDisplay_Click()
{
    // The item's check mark has already flipped with the click: it now says what to send.
    send_unchecked(menuDisplay->isChecked() ? QStringLiteral("DISP ON") : QStringLiteral("DISP OFF"));
}

void frmGSM::menuReset_Click()
{
    module1::clear_meter_comms(this, g().gpib_board);
}

void frmGSM::menuAbout_Click()
{
    if (sorvdemo* main = sorvdemo::instance())
        main->show_help(QStringLiteral("GSMhelp.txt"));
}

void frmGSM::menuSave_Click()
{
    const QString path = data_file::ask_target(QStringLiteral("Save TDMA Slot Data"), Prompts::default_title());
    if (path.isEmpty())
        return;
    const QString comment = prompts().input_box(
        QStringLiteral("Enter comment for this data.\r\nPress cancel for no comment"), Prompts::default_title(),
        gsm::default_comment(frame));
    // The desktop's own forms: the system's unless the program was given another.
    const QLocale desktop;
    const QString date = desktop.toString(clk().date_time().date(), QLocale::ShortFormat);
    const QString text = gsm::data_file_text(frame, slot_average, date, comment, desktop.decimalPoint());
    data_file::write_whole(path, text, Prompts::default_title());
}

void frmGSM::menuPrintSetup_Click() { printing_->page_setup.setup(); }

void frmGSM::menuPrint_Click()
{
    Canvas page;
    if (!printing_->page_setup.begin(page))
        return;
    gsm::draw_page(page, slot_average, frame.gsm_slots);
    printing_->page_setup.finish(page);
}

PageSetup& frmGSM::page_setup() { return printing_->page_setup; }

// ============================================================================================== mouse

void frmGSM::Slot_graph_MouseMove(double x)
{
    mouse_slot = gsm::slot_at(x, frame.gsm_slots);
    if (!mouse_slot) {
        mouselabel->hide();
        return;
    }
    mouselabel->setText(gsm::mouse_label_text(*mouse_slot, slot_average[std::size_t(*mouse_slot - 1)]));
    mouselabel->adjustSize();
    const QPoint at = Slot_graph->mapFromGlobal(QCursor::pos());
    // Beside the pointer, kept inside the graph.
    const int left = std::clamp(at.x() + 12, 0, std::max(0, Slot_graph->width() - mouselabel->width()));
    const int top = std::clamp(at.y() + 12, 0, std::max(0, Slot_graph->height() - mouselabel->height()));
    mouselabel->move(left, top);
    mouselabel->show();
}

void frmGSM::hide_mouse_label()
{
    mouse_slot.reset();
    mouselabel->hide();
}

// ============================================================================================== run loop

void frmGSM::start_test()
{
    enter_busy();
    run_in_progress_ = true;
    send_unchecked(gsm::frame_period_command(frame));
    gsm_stop_requested = false;
    setup();
    try {
        while (!gsm_stop_requested)
            if (!run_pass())
                break;
    } catch (const std::exception& e) {
        show_error(QString::fromLocal8Bit(e.what()));
    }
    run_in_progress_ = false;
    // A close asked for during the run happens now, from the event loop.
    leave_busy();
}

bool frmGSM::run_pass()
{
    Globals& gs = g();
    vbib32::Send(gs.gpib_board, gs.meter_address, "OGBD", vbib32::NLend);
    bool failed = gpibgen::gpib_error(QStringLiteral("Asking for Graph data")) > 0;
    if (!failed) {
        vbib32::Receive(gs.gpib_board, gs.meter_address, reply_buffer, vbib32::STOPend);
        failed = gpibgen::gpib_error(QStringLiteral("Reading back Graph data")) > 0;
    }
    if (failed) {
        prompts().message_box(QStringLiteral("Communications Error with Power Meter\r\nStopping test."),
                              Prompts::Buttons::Ok, Prompts::Icon::None, kCommsError);
        return false;
    }
    if (gs.ibcnt != trace_block::kBlockSize) {
        prompts().message_box(QStringLiteral("Something wrong with profile data.\r\nStopping test"),
                              Prompts::Buttons::Ok, Prompts::Icon::None, kCommsError);
        return false;
    }
    extract_graph_data(gs.ibcntl);
    Split_Slots();
    Draw_Slots();
    Label_Slots();
    clk().yield();
    return true;
}

void frmGSM::extract_graph_data(long byte_count)
{
    graph_trace = decode_trace_block(reply_buffer, byte_count, graph_trace).points;
}

void frmGSM::Split_Slots()
{
    const std::vector<float> dbm = gsm::trace_dbm(graph_trace);
    slot_average = gsm::split_slots(dbm.data(), frame);
}

void frmGSM::Draw_Slots() { gsm::draw_slots(Slot_graph->canvas(), slot_average, frame.gsm_slots); }

void frmGSM::Label_Slots()
{
    for (std::size_t n = 0; n < lblslotavg.size() && n < slot_average.size(); ++n)
        lblslotavg[n]->setText(gsm::slot_label_text(slot_average[n]));
    if (mouse_slot && *mouse_slot <= int(slot_average.size()) && mouselabel->isVisible()) {
        mouselabel->setText(gsm::mouse_label_text(*mouse_slot, slot_average[std::size_t(*mouse_slot - 1)]));
        mouselabel->adjustSize();
    }
}
