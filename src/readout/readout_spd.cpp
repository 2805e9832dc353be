#include "readout/readout_spd.h"

#include "frame/about_window.h"
#include "frame/fixed_label.h"
#include "frame/meter_limits.h"
#include "frame/meter_routines.h"
#include "frame/sorvdemo.h"
#include "link/app_error.h"
#include "link/globals.h"
#include "link/gpibgen.h"
#include "link/vbib32.h"
#include "platform/clock.h"
#include "platform/platform.h"
#include "platform/prompts.h"
#include "readout/readout_rules.h"
#include "util/entry_rule.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

Clock& clk() { return *platform().clock; }
Prompts& prompts() { return *platform().prompts; }

// The hourglass over one window while a setting is being made.
class WaitPointer {
public:
    explicit WaitPointer(QWidget* w) : w_(w) { w_->setCursor(Qt::WaitCursor); }
    ~WaitPointer() { w_->unsetCursor(); }
    WaitPointer(const WaitPointer&) = delete;
    WaitPointer& operator=(const WaitPointer&) = delete;

private:
    QWidget* w_;
};

QLabel* caption_label(const QString& text, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return l;
}

}  // namespace

readout_spd::readout_spd(QWidget* parent) : ModeWindow(parent)
{
    setWindowTitle(QStringLiteral("Readout mode"));
    build_controls();
    build_menus();
    reading_buffer = readout::place_reading(QByteArray());
    if (QScreen* screen = QGuiApplication::primaryScreen())
        connect(screen, &QScreen::availableGeometryChanged, this, [this] { SysInfo1_DisplayChanged(); });
}

readout_spd::~readout_spd()
{
    if (please_wait_)
        delete please_wait_.data();
}

int readout_spd::meter() const { return g().meter_address; }

void readout_spd::send(const QString& text) { vbib32::Send(g().gpib_board, meter(), text); }

// ---- layout --------------------------------------------------------------------------------------------

void readout_spd::build_controls()
{
    auto* central = new QWidget(this);
    auto* outer = new QVBoxLayout(central);
    SSTab1 = new QTabWidget(central);
    outer->addWidget(SSTab1);
    setCentralWidget(central);

    // Tab 0: the sensors and the custom trigger set-up.
    auto* sensors_tab = new QWidget;
    auto* sensors_row = new QHBoxLayout(sensors_tab);
    QGroupBox* frames[2];
    for (int s = 0; s < 2; ++s) {
        frames[s] = new QGroupBox(s == 0 ? QStringLiteral("Sensor A") : QStringLiteral("Sensor B"), sensors_tab);
        auto* form = new QFormLayout(frames[s]);
        Averaging_combo[s] = new QComboBox(frames[s]);
        Averaging_combo[s]->addItems(readout::averaging_items());
        Averaging_combo[s]->setToolTip(QStringLiteral("Turn on averaging"));
        form->addRow(QStringLiteral("Average"), Averaging_combo[s]);
        range_hold_combo[s] = new QComboBox(frames[s]);
        range_hold_combo[s]->addItems(readout::range_hold_items());
        range_hold_combo[s]->setToolTip(QStringLiteral("Hold the meter in one of its ranges"));
        form->addRow(QStringLiteral("Range Hold "), range_hold_combo[s]);
        static const char* const mode_names[3] = {"Default (CW measurement)", "Modulating Signal", "Custom"};
        for (int m = 0; m < 3; ++m) {
            QRadioButton*& opt = Sensor_Mode_opt[s * 3 + m];
            opt = new QRadioButton(QLatin1String(mode_names[m]), frames[s]);
            form->addRow(opt);
        }
        Sensor_Mode_opt[s * 3]->setChecked(true);
        sensors_row->addWidget(frames[s]);
        connect(Averaging_combo[s], &QComboBox::activated, this, [this, s] { Averaging_combo_Click(s); });
        connect(range_hold_combo[s], &QComboBox::activated, this, [this, s] { range_hold_combo_Click(s); });
        for (int m = 0; m < 3; ++m) {
            const int index = s * 3 + m;
            connect(Sensor_Mode_opt[index], &QRadioButton::clicked, this, [this, index] { Sensor_Mode_opt_Click(index); });
        }
    }
    Frame3 = frames[0];
    Frame4 = frames[1];

    Custom_frame = new QGroupBox(QStringLiteral("Custom Setup"), sensors_tab);
    auto* custom = new QGridLayout(Custom_frame);
    TrigSource = new QComboBox(Custom_frame);
    TrigSource->addItems(readout::trigger_source_items());
    TrigSource->setToolTip(QStringLiteral("Choose where the trigger is from"));
    custom->addWidget(caption_label(QStringLiteral("Source"), Custom_frame), 0, 0);
    custom->addWidget(TrigSource, 0, 1, 1, 2);
    Level = new QLineEdit(QStringLiteral("-15"), Custom_frame);
    Level->setToolTip(QStringLiteral("Select the Trigger level if Internal Triggering"));
    custom->addWidget(caption_label(QStringLiteral("Level"), Custom_frame), 1, 0);
    custom->addWidget(Level, 1, 1);
    custom->addWidget(new QLabel(QStringLiteral("dBm"), Custom_frame), 1, 2);
    auto* edges = new QWidget(Custom_frame);
    auto* edge_row = new QHBoxLayout(edges);
    edge_row->setContentsMargins(0, 0, 0, 0);
    InternalType[0] = new QRadioButton(QStringLiteral("Rising edge"), edges);
    InternalType[1] = new QRadioButton(QStringLiteral("Falling edge"), edges);
    InternalType[0]->setChecked(true);
    edge_row->addWidget(InternalType[0]);
    edge_row->addWidget(InternalType[1]);
    custom->addWidget(edges, 2, 0, 1, 3);
    Trigger_Delay_Box = new QLineEdit(QStringLiteral("1.00"), Custom_frame);
    custom->addWidget(caption_label(QStringLiteral("Trigger Delay"), Custom_frame), 3, 0);
    custom->addWidget(Trigger_Delay_Box, 3, 1);
    Trigger_Width_Box = new QLineEdit(QStringLiteral("20.00"), Custom_frame);
    custom->addWidget(caption_label(QStringLiteral("Trigger Width"), Custom_frame), 4, 0);
    custom->addWidget(Trigger_Width_Box, 4, 1);
    delay_sent_ = Trigger_Delay_Box->text();
    width_sent_ = Trigger_Width_Box->text();
    custom->setRowStretch(5, 1);
    Custom_frame->hide();
    sensors_row->addWidget(Custom_frame);
    sensors_row->addStretch(1);
    connect(TrigSource, &QComboBox::activated, this, [this] { TrigSource_Click(); });
    for (int e = 0; e < 2; ++e)
        connect(InternalType[e], &QRadioButton::clicked, this, [this, e] { InternalType_Click(e); });
    connect(Level, &QLineEdit::returnPressed, this, [this] { Level_Enter(); });
    connect(Trigger_Delay_Box, &QLineEdit::returnPressed, this, [this] { Trigger_Delay_Box_Done(); });
    connect(Trigger_Width_Box, &QLineEdit::returnPressed, this, [this] { Trigger_Width_Box_Done(); });
    Trigger_Delay_Box->installEventFilter(this);
    Trigger_Width_Box->installEventFilter(this);
    SSTab1->addTab(sensors_tab, QStringLiteral("Sensor(s) Setup"));

    // Tab 1: zero, calibration and the RF calibrator.
    auto* cal_tab = new QWidget;
    auto* cal_grid = new QGridLayout(cal_tab);
    for (int s = 0; s < 2; ++s) {
        const QString letter = readout::sensor_letter(s);
        Zero_but[s] = new QPushButton(QStringLiteral("Zero Sensor ") + letter, cal_tab);
        Cal_but[s] = new QPushButton(QStringLiteral("Cal Sensor ") + letter + QStringLiteral(" to 0dBm"), cal_tab);
        cal_grid->addWidget(Zero_but[s], 0, s);
        cal_grid->addWidget(Cal_but[s], 1, s);
        connect(Zero_but[s], &QPushButton::clicked, this, [this, s] { Zero_but_Click(s); });
        connect(Cal_but[s], &QPushButton::clicked, this, [this, s] { Cal_but_Click(s); });
    }
    RFCal_check = new QCheckBox(QStringLiteral("RF Calibrator ON/OFF"), cal_tab);
    RFCal_check->setToolTip(QStringLiteral("Turn the RF Calibrator on the Power Meter on or off."));
    cal_grid->addWidget(RFCal_check, 2, 0, 1, 2);
    cal_grid->setRowStretch(3, 1);
    cal_grid->setColumnStretch(2, 1);
    connect(RFCal_check, &QCheckBox::clicked, this, [this] { RFCal_check_Click(); });
    SSTab1->addTab(cal_tab, QStringLiteral("RF Calibrator"));

    // Tab 2: the reading and the rate figures.
    auto* timing_tab = new QWidget;
    auto* timing = new QGridLayout(timing_tab);
    readings = new FixedLabel(readout::placeholder_text(0), QStringLiteral("B/A -888.888 dBm"), timing_tab);
    readings->setToolTip(QStringLiteral("This display is updated every 50 readings"));
    QFont big = readings->font();
    big.setPointSize(big.pointSize() * 2 + 4);
    big.setBold(true);
    readings->setFont(big);
    readings->setAlignment(Qt::AlignCenter);
    readings->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    readings->setAutoFillBackground(true);
    readings->setBackgroundRole(QPalette::Base);
    readings->setMinimumWidth(QFontMetrics(big).horizontalAdvance(QStringLiteral("B/A -888.888 dBm")) + 40);
    readings->setMinimumHeight(QFontMetrics(big).height() * 2);
    timing->addWidget(readings, 0, 0, 1, 4);
    // Boxes that change every pass: redrawn at the screen's pace, without moving the layout.
    rdgs_per_sec = new FixedLabel(QString(), QStringLiteral("0000000"), timing_tab);
    avg_time = new FixedLabel(QString(), QStringLiteral("0000.00"), timing_tab);
    for (FixedLabel* box : {rdgs_per_sec, avg_time}) {
        box->set_box_look(true);
        box->setAlignment(Qt::AlignRight);
        box->setMaximumWidth(QFontMetrics(box->font()).horizontalAdvance(QStringLiteral("0000000.00")) + 16);
    }
    timing->addWidget(rdgs_per_sec, 1, 0, Qt::AlignRight);
    timing->addWidget(new QLabel(QStringLiteral("rdgs/sec"), timing_tab), 1, 1);
    timing->addWidget(avg_time, 1, 2, Qt::AlignRight);
    timing->addWidget(new QLabel(QStringLiteral("time/rdg"), timing_tab), 1, 3);
    timing->setRowStretch(2, 1);
    SSTab1->addTab(timing_tab, QStringLiteral("Timings"));
}

void readout_spd::build_menus()
{
    menuFileBar = menuBar()->addMenu(QStringLiteral("&File"));
    menuExit = menuFileBar->addAction(QStringLiteral("E&xit"), this, [this] { menuExit_Click(); });

    menuControlBar = menuBar()->addMenu(QStringLiteral("&Control"));
    menuRun = menuControlBar->addAction(QStringLiteral("&Run"), this, [this] { menuRun_Click(); });
    menuStop = menuControlBar->addAction(QStringLiteral("&Stop"), this, [this] { menuStop_Click(); });
    menuReset = menuControlBar->addAction(QStringLiteral("R&eset to default setup"), this, [this] { menuReset_Click(); });
    menuFastest = menuControlBar->addAction(QStringLiteral("&Configure for fastest setup"), this,
                                            [this] { menuFastest_Click(); });
    menuFastMode = menuControlBar->addAction(QStringLiteral("&Fast Mode"), this, [this] { menuFastMode_Click(); });
    menuDisplay = menuControlBar->addAction(QStringLiteral("Power Meter &Display"), this, [this] { menuDisplay_Click(); });
    menuFastMode->setCheckable(true);
    menuDisplay->setCheckable(true);
    menuDisplay->setChecked(true);
    menuStop->setEnabled(false);

    menuMeasBar = menuBar()->addMenu(QStringLiteral("&Measurement"));
    static const char* const meas_names[6] = {"Measure &A",          "Measure &B",        "&Measure (A - B)",
                                              "M&easure (B - A)", "Mea&sure (A / B)", "Meas&ure (B / A)"};
    for (int i = 0; i < 6; ++i) {
        menuMeas[i] = menuMeasBar->addAction(QLatin1String(meas_names[i]), this, [this, i] { menuMeas_Click(i); });
        menuMeas[i]->setCheckable(true);
    }
    menuMeas[0]->setChecked(true);

    menuUpdateBar = menuBar()->addMenu(QStringLiteral("This Display Update Every"));
    for (int i = 0; i < readout::update_item_count; ++i) {
        menuDisplayUpdate[i] =
            menuUpdateBar->addAction(QStringLiteral("Every ") + QString::number(readout::update_count_for_item(i)), this,
                                     [this, i] { menuDisplayUpdate_Click(i); });
        menuDisplayUpdate[i]->setCheckable(true);
    }
    // The count is 50 at load: its item carries the mark from the start.
    menuDisplayUpdate[readout::update_item_for_count(50)]->setChecked(true);

    menuHelpBar = menuBar()->addMenu(QStringLiteral("&Help"));
    menuAbout = menuHelpBar->addAction(QStringLiteral("&About"), this, [this] { menuAbout_Click(); });
}

// ---- helpers -------------------------------------------------------------------------------------------

void readout_spd::update_custom_frame()
{
    const bool shown = readout::custom_frame_visible(Sensor_Mode_opt[2]->isChecked(), Sensor_Mode_opt[5]->isChecked(),
                                                     channel_index);
    if (shown == !Custom_frame->isHidden())
        return;
    Custom_frame->setVisible(shown);
    // The frame needs room: the window grows to show it whole (an MDI child does not grow by itself).
    if (shown) {
        QWidget* frame = qobject_cast<QMdiSubWindow*>(parentWidget()) ? parentWidget() : this;
        const QSize short_by = (SSTab1->sizeHint() - SSTab1->size()).expandedTo(QSize(0, 0));
        if (!short_by.isNull())
            frame->resize(frame->size() + short_by);
    }
}

void readout_spd::set_run_menus(bool running)
{
    for (QAction* a : {menuFastMode, menuFastest, menuReset, menuRun})
        a->setEnabled(!running);
    menuStop->setEnabled(running);
}

bool readout_spd::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut && (watched == Trigger_Delay_Box || watched == Trigger_Width_Box)) {
        // Focus leaving for a menu or another application is not the user moving on from the box.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason && menuBar()->isEnabled()) {
            if (watched == Trigger_Delay_Box)
                Trigger_Delay_Box_Done();
            else
                Trigger_Width_Box_Done();
        }
    }
    return ModeWindow::eventFilter(watched, event);
}

// ---- set-up and closing --------------------------------------------------------------------------------

void readout_spd::Form_Load()
{
    Globals& gs = g();
    // Nothing of this window acts until the meter is set up.
    menuBar()->setEnabled(false);
    centralWidget()->setEnabled(false);
    please_wait_ = new PleaseWait(sorvdemo::instance());
    clk().yield(true);

    exit_pending = false;
    stop_requested = true;
    gs.test_running = false;
    update_count = 50;

    const int board = gs.gpib_board;
    bool ok = false;
    try {
        vbib32::SendIFC(board);
        gpibgen::gpib_error(QStringLiteral("Readout IFC"));
        vbib32::DevClear(board, meter());
        clk().sleep_ms(500);

        two_input = !module1::is_single_channel_meter(board, meter());
        if (!two_input) {
            Frame4->hide();
            for (int i = 1; i < 6; ++i)
                menuMeas[i]->setEnabled(false);
        }

        if (readout::has_reading_mode(gs.meter_model)) {
            send(QStringLiteral("RDMODE?"));
            QByteArray reply = vbib32::fixed_buffer(50);
            vbib32::Receive(board, meter(), reply);
            if (readout::reading_mode_needs_change(vbib32::text_of(reply))) {
                send(QStringLiteral("RDMODE STAND"));
                clk().sleep_ms(12000);
            }
        }

        ok = gpibgen::configure_with_opc(readout::setup_command(gs.serial_in_use), 13, board, meter());
        if (gs.serial_in_use) {
            // The serial link has no display or fast-mode commands.
            menuFastest->setVisible(false);
            menuFastMode->setVisible(false);
            menuDisplay->setVisible(false);
        }

        for (int s = 0; s < 2; ++s) {
            range_hold_combo[s]->setCurrentIndex(0);
            send(readout::range_hold_command(s, 0));
        }
        for (int s = 0; s < 2; ++s) {
            Averaging_combo[s]->setCurrentIndex(0);
            module1::set_averaging(readout::sensor_letter(s), readout::averaging_count(Averaging_combo[s]->currentText()));
        }
        TrigSource->setCurrentIndex(0);
        send_trigger_source();
    } catch (const AppError&) {
        // An instrument that fails during the set-up fails the set-up.
        ok = false;
    }

    if (ok) {
        vbib32::ibtmo(gs.gpib_board_ud_valid ? gs.gpib_board_ud : board, 12);
        fast_mode = false;
        display_on = true;
        menuDisplay->setChecked(true);
        menuFastMode->setChecked(false);
        PleaseWait::dismiss(please_wait_);
        menuBar()->setEnabled(true);
        centralWidget()->setEnabled(true);
    } else {
        prompts().message_box(QStringLiteral("Quiting Readout Mode"), Prompts::Buttons::Ok, Prompts::Icon::Critical,
                              QStringLiteral("Pelmora"));
        PleaseWait::dismiss(please_wait_);
        request_close();
    }
}

void readout_spd::Form_Unload()
{
    Globals& gs = g();
    // Nothing of this window may start while it says goodbye to the meter.
    setEnabled(false);
    PleaseWait::dismiss(please_wait_);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    clk().yield();
    stop_requested = true;
    send(readout::leave_command(gs.serial_in_use));
    gpibgen::gpib_error(QStringLiteral("Put in readout mode and clearout"));
    send(QStringLiteral("*CLS;*ESE 0;*SRE 0"));
    gpibgen::gpib_error(QStringLiteral("Clear events"));
    clk().sleep_ms(100);
    QApplication::restoreOverrideCursor();
    clk().yield();
}

// ---- run loop ------------------------------------------------------------------------------------------

void readout_spd::menuRun_Click()
{
    if (unloaded() || g().test_running)
        return;
    guarded([this] { start_test(); });
    if (exit_pending)
        request_close();
}

void readout_spd::start_test()
{
    Globals& gs = g();
    Clock& clock = clk();
    const int board = gs.gpib_board;
    const int address = meter();
    static const QByteArray request = QByteArrayLiteral("O 1");

    stop_requested = false;
    set_run_menus(true);
    // The driver's talk-once calls exist on GPIB only.
    const bool fast_path = fast_mode && !gs.serial_in_use;
    if (fast_path) {
        vbib32::Send(board, address, QByteArrayLiteral("FAST ON"));
        vbib32::ReceiveSetup(board, address);
    }
    gs.test_running = true;

    QByteArray buffer = vbib32::fixed_buffer(readout::reading_buffer_size);
    while (!stop_requested && gs.test_running) {
        const qint64 t0 = clock.now_us();
        const int n = update_count;
        int arrived = 0;
        bool shown = false;
        // A pass cut short is timed up to its last reading: the wait for the missing one is no reading.
        qint64 t_last = t0;
        bool cut_short = false;
        for (int i = 0; i < n; ++i) {
            if (fast_path) {
                vbib32::RcvRespMsg(board, buffer);
            } else {
                vbib32::Send(board, address, request);
                vbib32::Receive(board, address, buffer);
            }
            const int count = gs.ibcnt;
            if (count <= 0) {
                cut_short = true;
                prompts().message_box(QStringLiteral("No data read"), Prompts::Buttons::Ok, Prompts::Icon::Critical,
                                      QStringLiteral("Pelmora"));
                stop_requested = true;
                break;
            }
            t_last = clock.now_us();
            ++arrived;
            const QByteArray reply = buffer.left(count);
            if (readout::is_reading(reply)) {
                reading_buffer = readout::place_reading(reply);
                shown = true;
            }
            clock.yield();
        }
        const qint64 t1 = cut_short ? t_last : clock.now_us();

        const readout::RateFigures figures = readout::rate_figures(t1 - t0, arrived);
        last_ms_per_reading = figures.ms_per_reading;
        avg_time->setText(figures.avg_time);
        rdgs_per_sec->setText(figures.rdgs_per_sec);
        if (shown) {
            // Shown at the screen's next frame: the loop yields next, and a display every reading must not
            // make every reading wait for the screen.
            readings->setText(readout::reading_text(channel_index, reading_buffer));
        }
        clock.yield();
    }

    gs.test_running = false;
    set_run_menus(false);
}

void readout_spd::menuStop_Click() { stop_requested = true; }

void readout_spd::menuExit_Click()
{
    if (unloaded())
        return;
    if (g().test_running) {
        stop_requested = true;
        exit_pending = true;
        return;
    }
    request_close();
}

// ---- fastest set-up ------------------------------------------------------------------------------------

void readout_spd::menuFastest_Click()
{
    guarded([this] {
        {
            WaitPointer wait(this);
            clk().yield();
            set_fastest_readout();
        }
        clk().yield();
    });
}

void readout_spd::set_fastest_readout()
{
    const int board = g().gpib_board;
    const auto step = [this](const QString& text, const QString& label) {
        send(text);
        gpibgen::gpib_error(label);
    };
    vbib32::DevClear(board, meter());
    clk().sleep_ms(100);
    step(QStringLiteral("*CLS;*ESE 0;*SRE 0"), QStringLiteral("Clear events"));
    step(QStringLiteral("FAST OFF;DISP ON"), QStringLiteral("Start fastest setup"));
    step(readout::fastest_first_command(), QStringLiteral("FASTEST readout config"));
    step(readout::fastest_second_command(two_input), QStringLiteral("FASTEST readout config"));
    if (!gpibgen::wait_opc(13, meter(), board)) {
        prompts().message_box(QStringLiteral("Could not setup sorvane"), Prompts::Buttons::Ok, Prompts::Icon::Critical,
                              QStringLiteral("RQ5810 demo programme"));
        exit_only();
    } else {
        display_on = false;
        menuDisplay->setChecked(false);
        menuDisplay->setEnabled(false);
        fast_mode = true;
        menuFastMode->setChecked(true);
        SSTab1->setTabEnabled(0, false);
        SSTab1->setTabEnabled(1, false);
        SSTab1->setCurrentIndex(2);
    }
    step(QStringLiteral("*CLS;*ESE 0;*SRE 0"), QStringLiteral("Clear events"));
    step(QStringLiteral("FAST ON"), QStringLiteral("Set FAST on"));
    clk().sleep_ms(2000);
    clk().yield();
}

void readout_spd::exit_only()
{
    menuControlBar->setEnabled(false);
    menuControlBar->menuAction()->setEnabled(false);
}

// ---- Control menu --------------------------------------------------------------------------------------

void readout_spd::menuFastMode_Click()
{
    guarded([this] {
        WaitPointer wait(this);
        clk().yield();
        if (!fast_mode) {
            send(QStringLiteral("FAST ON"));
            gpibgen::gpib_error(QStringLiteral("Fast on"));
            menuFastMode->setChecked(true);
            menuDisplay->setEnabled(false);
            menuDisplay->setChecked(false);
            SSTab1->setTabEnabled(0, false);
            SSTab1->setTabEnabled(1, false);
            SSTab1->setCurrentIndex(2);
            fast_mode = true;
        } else {
            send(QStringLiteral("FAST OFF"));
            gpibgen::gpib_error(QStringLiteral("Fast off"));
            menuFastMode->setChecked(false);
            menuDisplay->setEnabled(true);
            menuDisplay->setChecked(display_on);
            SSTab1->setTabEnabled(0, true);
            SSTab1->setTabEnabled(1, true);
            SSTab1->setCurrentIndex(1);
            fast_mode = false;
        }
        clk().sleep_ms(2000);
        clk().yield();
    });
}

void readout_spd::menuDisplay_Click()
{
    guarded([this] {
        {
            WaitPointer wait(this);
            clk().yield();
            if (!display_on) {
                send(QStringLiteral("DISP ON"));
                gpibgen::gpib_error(QStringLiteral("Disp on"));
                display_on = true;
            } else {
                send(QStringLiteral("DISP OFF"));
                gpibgen::gpib_error(QStringLiteral("Disp off"));
                display_on = false;
            }
            menuDisplay->setChecked(display_on);
            clk().sleep_ms(1000);
        }
        clk().yield();
    });
    // Qt toggled the mark on the click; it follows the meter's state instead.
    menuDisplay->setChecked(display_on);
}

void readout_spd::menuReset_Click()
{
    guarded([this] {
        {
            WaitPointer wait(this);
            clk().yield();
            vbib32::DevClear(g().gpib_board, meter());
            clk().sleep_ms(1000);
            if (!g().serial_in_use) {
                send(QStringLiteral("FAST OFF"));
                clk().sleep_ms(500);
                send(QStringLiteral("DISP ON"));
            }
            send(QStringLiteral("*RST"));
            gpibgen::gpib_error(QStringLiteral("Set default"));
            clk().sleep_ms(2000);
            fast_mode = false;
            display_on = true;
            menuDisplay->setChecked(true);
            menuDisplay->setEnabled(true);
            menuFastMode->setChecked(false);
            menuFastMode->setEnabled(true);
            SSTab1->setTabEnabled(0, true);
            SSTab1->setTabEnabled(1, true);
        }
        clk().yield();
    });
}

void readout_spd::menuMeas_Click(int index)
{
    if (unloaded() || index < 0 || index >= readout::channel_count)
        return;
    for (QAction* a : menuMeas)
        a->setChecked(false);
    menuMeas[index]->setChecked(true);
    channel_index = index;
    send(readout::measure_command(index));
    readings->setText(readout::placeholder_text(index));
    update_custom_frame();
}

void readout_spd::menuDisplayUpdate_Click(int index)
{
    if (index < 0 || index >= readout::update_item_count)
        return;
    for (QAction* a : menuDisplayUpdate)
        a->setChecked(false);
    menuDisplayUpdate[index]->setChecked(true);
    update_count = readout::update_count_for_item(index);
}

void readout_spd::menuAbout_Click()
{
    guarded([] {
        if (sorvdemo* main = sorvdemo::instance())
            main->show_help(QStringLiteral("readout.txt"));
    });
}

// ---- sensor settings -----------------------------------------------------------------------------------

void readout_spd::Averaging_combo_Click(int sensor)
{
    if (unloaded())
        return;
    module1::set_averaging(readout::sensor_letter(sensor),
                           readout::averaging_count(Averaging_combo[sensor]->currentText()));
}

void readout_spd::range_hold_combo_Click(int sensor)
{
    if (unloaded())
        return;
    send(readout::range_hold_command(sensor, range_hold_combo[sensor]->currentIndex()));
}

void readout_spd::Sensor_Mode_opt_Click(int index)
{
    if (unloaded() || index < 0 || index > 5)
        return;
    send(readout::sensor_mode_command(index));
    update_custom_frame();
}

// ---- trigger -------------------------------------------------------------------------------------------

void readout_spd::send_trigger_source()
{
    const int index = TrigSource->currentIndex();
    const bool edges = readout::edge_options_enabled(index);
    InternalType[0]->setEnabled(edges);
    InternalType[1]->setEnabled(edges);
    send(readout::trigger_source_command(index));
    if (gpibgen::gpib_error(QStringLiteral("Update trigger source")) != 0)
        throw AppError(AppError::meter);
}

void readout_spd::send_trigger_edge()
{
    send(readout::trigger_edge_command(InternalType[1]->isChecked() ? 1 : 0));
    if (gpibgen::gpib_error(QStringLiteral("Update internal Trigger Type")) != 0)
        throw AppError(AppError::meter);
}

void readout_spd::set_internal_trig_level(double level)
{
    send(readout::trigger_level_command(level));
    if (gpibgen::gpib_error(QStringLiteral("Update internal trig level")) != 0)
        throw AppError(AppError::meter);
}

void readout_spd::TrigSource_Click()
{
    guarded([this] { send_trigger_source(); });
}

void readout_spd::InternalType_Click(int index)
{
    if (index < 0 || index > 1)
        return;
    InternalType[index]->setChecked(true);
    guarded([this] { send_trigger_edge(); });
}

void readout_spd::Level_Enter()
{
    guarded([this] {
        {
            WaitPointer wait(this);
            clk().yield();
            if (const auto level = entry::sendable(Level->text(), meter_limits::kTriggerLevelDbm))
                set_internal_trig_level(level->value);
            else
                prompts().beep();
        }
        clk().yield();
    });
}

void readout_spd::send_box(QLineEdit* box, QString& last_sent, const std::optional<QString>& command)
{
    if (!command) {
        prompts().beep();
        box->setText(last_sent);
        return;
    }
    send(*command);
    last_sent = box->text();
}

void readout_spd::Trigger_Delay_Box_Done()
{
    if (!unloaded())
        send_box(Trigger_Delay_Box, delay_sent_, readout::trigger_delay_command(Trigger_Delay_Box->text()));
}

void readout_spd::Trigger_Width_Box_Done()
{
    if (!unloaded())
        send_box(Trigger_Width_Box, width_sent_, readout::trigger_width_command(Trigger_Width_Box->text()));
}

// ---- RF calibrator tab ---------------------------------------------------------------------------------

void readout_spd::Zero_but_Click(int sensor)
{
    guarded([this, sensor] {
        const Globals& gs = g();
        // The zero is taken with no RF on the sensor: the maker's generator is switched off around it.
        if (gs.maker_synth)
            vbib32::Send(gs.gpib_board, gs.synth_address, QStringLiteral("RF0"));
        module1::zero_sensor(this, readout::sensor_letter(sensor));
        if (gs.maker_synth)
            vbib32::Send(gs.gpib_board, gs.synth_address, QStringLiteral("RF1"));
    });
}

void readout_spd::Cal_but_Click(int sensor)
{
    guarded([this, sensor] { module1::cal_sensor(this, readout::sensor_letter(sensor)); });
}

void readout_spd::RFCal_check_Click()
{
    if (unloaded())
        return;
    send(readout::rfcal_command(RFCal_check->isChecked()));
}

// ---- display change ------------------------------------------------------------------------------------

void readout_spd::SysInfo1_DisplayChanged()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    QWidget* active = QApplication::activeWindow();
    if (!screen || !active)
        return;
    const QRect fitted = readout::fit_to_work_area(active->geometry(), screen->availableGeometry());
    if (fitted != active->geometry())
        active->setGeometry(fitted);
}
