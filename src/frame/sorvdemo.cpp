#include "frame/sorvdemo.h"

#include "frame/about_window.h"
#include "frame/configure_form.h"
#include "frame/help_window.h"
#include "frame/menu_key_router.h"
#include "frame/meter_routines.h"
#include "frame/mode_window.h"
#include "frame/stored_config.h"
#include "frame/system_check.h"
#include "link/app_error.h"
#include "link/globals.h"
#include "link/link_exchange.h"
#include "platform/clock.h"
#include "platform/platform.h"
#include "platform/prompts.h"
#include "platform/serial_port.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLinearGradient>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QTimer>

namespace {

sorvdemo* g_main_window = nullptr;

// Room the mode windows take at their designed sizes, with their frames: as wide as the source-sweep
// window (its tabs and a graph as wide beside them, 1168 pixels with the default font) and as high as the
// profile window (688), with a little to spare for larger fonts.
constexpr QSize kModeWindowRoom(1200, 720);
// The smallest the main window may be made.
constexpr QSize kMinimumSize(640, 480);

// The frame's background: the picture drawn once, centred, on a plain ground.
class BackdropArea : public QMdiArea {
public:
    explicit BackdropArea(QWidget* parent) : QMdiArea(parent), picture_(sorvdemo::background_picture())
    {
        setBackground(QColor(0x20, 0x2a, 0x38));
        // A mode window larger than the frame stays within reach.
        setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QMdiArea::paintEvent(event);
        QPainter p(viewport());
        const QRect r = viewport()->rect();
        p.drawPixmap(r.center().x() - picture_.width() / 2, r.center().y() - picture_.height() / 2, picture_);
    }

private:
    QPixmap picture_;
};

}  // namespace

QPixmap sorvdemo::background_picture()
{
    QPixmap pm(640, 455);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient ground(0, 0, 0, 455);
    ground.setColorAt(0, QColor(0x12, 0x2b, 0x4a));
    ground.setColorAt(1, QColor(0x05, 0x0d, 0x18));
    p.fillRect(pm.rect(), ground);
    // A graticule and a pulse train, as on the meter's own screen.
    const QRect plot(60, 150, 520, 230);
    p.setPen(QPen(QColor(0x3a, 0x5a, 0x80), 1, Qt::DotLine));
    for (int i = 0; i <= 10; ++i)
        p.drawLine(plot.left() + i * plot.width() / 10, plot.top(), plot.left() + i * plot.width() / 10,
                   plot.bottom());
    for (int i = 0; i <= 6; ++i)
        p.drawLine(plot.left(), plot.top() + i * plot.height() / 6, plot.right(), plot.top() + i * plot.height() / 6);
    QPainterPath trace;
    const double base = plot.bottom() - 25;
    const double top = plot.top() + 40;
    trace.moveTo(plot.left(), base);
    for (int k = 0; k < 3; ++k) {
        const double x0 = plot.left() + 40 + k * 170;
        trace.lineTo(x0, base);
        trace.cubicTo(x0 + 6, base, x0 + 6, top - 14, x0 + 14, top - 8);
        trace.lineTo(x0 + 22, top);
        trace.lineTo(x0 + 80, top + 3);
        trace.cubicTo(x0 + 86, top + 3, x0 + 88, base, x0 + 96, base);
    }
    trace.lineTo(plot.right(), base);
    p.setPen(QPen(QColor(0x5c, 0xf2, 0x8a), 2.5));
    p.setBrush(Qt::NoBrush);
    p.drawPath(trace);
    QFont title(QStringLiteral("DejaVu Sans"), 40, QFont::Bold);
    p.setFont(title);
    p.setPen(QColor(0xe8, 0xf0, 0xfa));
    p.drawText(QRect(0, 30, 640, 70), Qt::AlignCenter, QStringLiteral("Pelmora"));
    QFont sub(QStringLiteral("DejaVu Sans"), 13);
    p.setFont(sub);
    p.setPen(QColor(0x9f, 0xbc, 0xdc));
    p.drawText(QRect(0, 95, 640, 30), Qt::AlignCenter, QStringLiteral("RQ58xxK peak power meter"));
    p.end();
    return pm;
}

sorvdemo::sorvdemo(ModeRegistry modes, QWidget* parent) : QMainWindow(parent), modes_(std::move(modes))
{
    g_main_window = this;
    setWindowTitle(QStringLiteral("Pelmora"));
    mdi_ = new BackdropArea(this);
    setCentralWidget(mdi_);

    menuFileBar = menuBar()->addMenu(QStringLiteral("&File"));
    menuExit = menuFileBar->addAction(QStringLiteral("E&xit"), this, [this] { menuExit_Click(); });
    menuConfBar = menuBar()->addMenu(QStringLiteral("&Configure"));
    menusetup = menuConfBar->addAction(QStringLiteral("&System Devices..."), this, [this] { menusetup_Click(); });
    menuReset = menuConfBar->addAction(QStringLiteral("&Perform System Check"), this, [this] { menuReset_Click(); });
    menuModeBar = menuBar()->addMenu(QStringLiteral("&Power Meter Mode"));
    menuGSMdemo = menuModeBar->addAction(QStringLiteral("&GSM slots"), this, [this] { menuGSMdemo_Click(); });
    menuCDMA = menuModeBar->addAction(QStringLiteral("&Peak CDF/PDF"), this, [this] { menuCDMA_Click(); });
    menuProfile = menuModeBar->addAction(QStringLiteral("&Profile/CDMA Stats"), this, [this] { menuProfile_Click(); });
    menuReadout = menuModeBar->addAction(QStringLiteral("&Readout"), this, [this] { menuReadout_Click(); });
    menuSourceSweep =
        menuModeBar->addAction(QStringLiteral("&Source Sweep"), this, [this] { menuSourceSweep_Click(); });
    for (QAction* a : {menuGSMdemo, menuCDMA, menuProfile, menuReadout, menuSourceSweep})
        a->setCheckable(true);
    menuHelpBar = menuBar()->addMenu(QStringLiteral("&Help"));
    menuAbout = menuHelpBar->addAction(QStringLiteral("&About"), this, [this] { menuAbout_Click(); });
    memIntroHelp = menuHelpBar->addAction(QStringLiteral("&Intro"), this, [this] { memIntroHelp_Click(); });
    menuModes = menuHelpBar->addAction(QStringLiteral("About the &Modes"), this, [this] { menuModes_Click(); });
    menuConfigHelp =
        menuHelpBar->addAction(QStringLiteral("&Configure Help"), this, [this] { menuConfigHelp_Click(); });
    // While a mode window is open its menus take their accelerators, not this window's disabled ones.
    new MenuKeyRouter(menuBar(), [this]() -> QMenuBar* { return mode_window_ ? mode_window_->menuBar() : nullptr; });
    // Room for the largest mode window where the screen has it.
    const QSize wanted = kModeWindowRoom + QSize(0, menuBar()->sizeHint().height());
    const QScreen* on = screen();
    resize(on ? wanted.boundedTo(on->availableGeometry().size()).expandedTo(kMinimumSize) : wanted);
}

sorvdemo::~sorvdemo()
{
    if (g_main_window == this)
        g_main_window = nullptr;
}

sorvdemo* sorvdemo::instance() { return g_main_window; }

bool sorvdemo::MDIForm_Load()
{
    Globals& gs = g();
    gs.test_running = false;
    gs.phone_number.clear();
    gs.modem_in_use = false;

    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect work = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const QSize frame = frameGeometry().size();
    const int left = frame.width() < work.width() ? work.width() / 2 - frame.width() / 2 : 0;
    const int top = frame.height() < work.height() ? work.height() / 2 - frame.height() / 2 : 0;
    move(work.left() + left, work.top() + top);
    show();

    module1::load_port_devices();
    if (!module1::config_stored()) {
        const auto answer = platform().prompts->message_box(
            QStringLiteral("You must configure Pelmora for your system.\r\n\r\nPress: \r\n  Ok to continue\r\n  "
                           "Cancel to quit"),
            Prompts::Buttons::OkCancel, Prompts::Icon::None, QStringLiteral("No Config File found."));
        if (answer == Prompts::Answer::Cancel)
            return false;
        Configure_Form form(this);
        form.exec();
        if (Tag == QLatin1String("cancled"))
            return false;
    }
    gs.instruments_ok = false;
    module1::load_config();
    return true;
}

void sorvdemo::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    if (in_resize_ || (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)))
        return;
    in_resize_ = true;
    const QSize s = size();
    const QSize grown = s.expandedTo(kMinimumSize);
    if (grown != s) {
        resize(grown);
        platform().prompts->beep();
    }
    in_resize_ = false;
}

void sorvdemo::menuExit_Click()
{
    const auto answer = platform().prompts->message_box(QStringLiteral("Are you sure?"), Prompts::Buttons::YesNo,
                                                        Prompts::Icon::None, QStringLiteral("Exit Pelmora"));
    if (answer == Prompts::Answer::Yes)
        close();
}

void sorvdemo::menusetup_Click()
{
    Configure_Form form(this);
    form.exec();
}

bool sorvdemo::run_check()
{
    ++check_depth_;
    const bool ok = module1::check_instruments(this);
    --check_depth_;
    if (closing_ && check_depth_ == 0)
        QTimer::singleShot(0, this, [this] { close(); });
    return ok;
}

void sorvdemo::menuReset_Click()
{
    // Nothing more to say when the user has asked to leave meanwhile.
    if (run_check() && !closing_)
        platform().prompts->message_box(QStringLiteral("Your system appears to be ok."), Prompts::Buttons::Ok,
                                        Prompts::Icon::None, QStringLiteral("Pelmora"));
}

void sorvdemo::menuAbout_Click()
{
    about_window box(this);
    box.exec();
}

void sorvdemo::show_help(const QString& file_name)
{
    Tag = file_name;
    Help_Window help(this);
    help.exec();
}

QAction* sorvdemo::mode_action(Mode mode) const
{
    switch (mode) {
    case Mode::Gsm: return menuGSMdemo;
    case Mode::Cdma: return menuCDMA;
    case Mode::Profile: return menuProfile;
    case Mode::Readout: return menuReadout;
    case Mode::SourceSweep: return menuSourceSweep;
    }
    return nullptr;
}

void sorvdemo::enter_mode(Mode mode)
{
    QAction* item = mode_action(mode);
    item->setChecked(false);  // the check mark follows the window, not the click
    if (mode_window_ || closing_)
        return;
    Globals& gs = g();
    Prompts& prompts = *platform().prompts;
    if (!gs.instruments_ok) {
        const bool ok = run_check();
        if (closing_)
            return;
        if (!ok) {
            prompts.message_box(QStringLiteral("Unable to goto that mode - system configuration problem."),
                                Prompts::Buttons::Ok, Prompts::Icon::None, QStringLiteral("Pelmora"));
            return;
        }
    }
    if (mode == Mode::Cdma && gs.meter_model != QLatin1String("RQ5821K") &&
        gs.meter_model != QLatin1String("RQ5822K")) {
        prompts.message_box(
            QStringLiteral("This mode is only allowed for the RQ5822K or RQ5821K type of Power Meters"),
            Prompts::Buttons::Ok, Prompts::Icon::None, QStringLiteral("Wrong Power Meter Type: ") + gs.meter_model);
        return;
    }
    const ModeFactory factory = modes_.factory(mode);
    if (!factory)
        return;
    item->setChecked(true);
    menuConfBar->setEnabled(false);
    menuModeBar->setEnabled(false);
    menuConfBar->menuAction()->setEnabled(false);
    menuModeBar->menuAction()->setEnabled(false);

    ModeWindow* window = factory();
    window->on_unloaded = [this, mode] { mode_unloaded(mode); };
    mode_window_ = window;
    QMdiSubWindow* sub = mdi_->addSubWindow(window);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    // The load shows the window when it ends.
    QPointer<ModeWindow> guard(window);
    const bool loaded = window->load();
    if (!loaded && guard)
        guard->request_close();
}

void sorvdemo::mode_unloaded(Mode mode)
{
    mode_action(mode)->setChecked(false);
    menuConfBar->setEnabled(true);
    menuModeBar->setEnabled(true);
    menuConfBar->menuAction()->setEnabled(true);
    menuModeBar->menuAction()->setEnabled(true);
    mode_window_ = nullptr;
    if (closing_)
        QTimer::singleShot(0, this, [this] { close(); });
}

bool sorvdemo::close_must_wait()
{
    // A running check finishes first (its modem may be dialling); run_check closes afterwards.
    if (check_depth_ > 0)
        return true;
    // The open mode window goes first, through its own unload, so the meter gets its leaving commands.
    // It counts as open until its unload has ended; mode_unloaded closes afterwards.
    if (mode_window_) {
        mode_window_->request_close();
        if (mode_window_)
            return true;
    }
    // Come from inside an exchange's wait: "!BYE" must not cut into it.
    if (vbib32::exchange_in_progress()) {
        vbib32::after_exchange(this, [this] { close(); });
        return true;
    }
    return false;
}

void sorvdemo::closeEvent(QCloseEvent* event)
{
    if (closed_) {
        event->accept();
        return;
    }
    // The closing sequence yields; the close that started it accepts.
    if (in_unload_) {
        event->ignore();
        return;
    }
    closing_ = true;
    if (close_must_wait()) {
        event->ignore();
        return;
    }
    in_unload_ = true;
    MDIForm_Unload();
    in_unload_ = false;
    closed_ = true;
    event->accept();
}

void sorvdemo::MDIForm_Unload()
{
    Globals& gs = g();
    Clock& clk = *platform().clock;
    SerialPort* port = platform().serial;
    if (port && port->is_open()) {
        if (gs.modem_in_use) {
            port->write("!BYE");
            clk.sleep_ms(1000);
            port->write("+++");
            clk.sleep_ms(100);
        }
        port->close();
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    clk.yield();
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != this && w->isVisible())
            w->close();
    QApplication::restoreOverrideCursor();
    if (gs.gpib_in_use)
        module1::gpib_go_local();
}
