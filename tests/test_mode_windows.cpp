// The main window and the mode windows together: closes in any order while a window is still unloading,
// closing during the system check, a mode window shown only once loaded, keyboard access to the mode's
// menus, and the keys and pointer the profile window sees.
#include "app/modes.h"
#include "frame/key_preview.h"
#include "frame/mode_window.h"
#include "frame/sorvdemo.h"
#include "link/globals.h"
#include "profile/graphtests.h"
#include "readout/readout_rules.h"
#include "sim/sim_modem.h"
#include "support/event_loop.h"
#include "support/test_bench.h"

#include <QLineEdit>
#include <QMdiArea>
#include <QMouseEvent>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <optional>

Q_DECLARE_METATYPE(Mode)

namespace {

// Sends and the return of the bus to local, in order: "send TEXT", "sre 0", "sre 1", "sic".
QStringList traffic(TestBench& tb)
{
    QStringList out;
    for (const WireLog::Entry& e : tb.log().entries()) {
        if (e.kind == "send")
            out << "send " + QString::fromLatin1(e.bytes).trimmed();
        else if (e.kind == "sre" || e.kind == "sic")
            out << (e.kind + " " + QString::fromLatin1(e.bytes)).trimmed();
    }
    return out;
}

// The main window as the program makes it: on the heap, gone once closed.
QPointer<sorvdemo> new_main_window()
{
    auto* main = new sorvdemo(all_modes());
    main->setAttribute(Qt::WA_DeleteOnClose);
    main->show();
    return main;
}

// Notes a value when the first MDI frame shows in the area.
class ShowWatch : public QObject {
public:
    ShowWatch(QWidget* viewport, std::function<size_t()> value) : value_(std::move(value))
    {
        viewport->installEventFilter(this);
    }
    std::optional<size_t> at_show;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::ChildAdded)
            static_cast<QChildEvent*>(event)->child()->installEventFilter(this);
        else if (event->type() == QEvent::Show && qobject_cast<QMdiSubWindow*>(watched) && !at_show)
            at_show = value_();
        return false;
    }

private:
    std::function<size_t()> value_;
};

QString mode_leaving_command(Mode mode)
{
    return mode == Mode::Readout ? readout::leave_command(false) : QStringLiteral("*RST;DISP ON;opmd digit");
}

}  // namespace

class ModeWindowsTest : public QObject {
    Q_OBJECT
private slots:

    void closes_handled_back_to_back_data();
    void closes_handled_back_to_back();
    void main_window_close_during_the_check_data();
    void main_window_close_during_the_check();
    void mode_window_shown_when_its_load_ends_data();
    void mode_window_shown_when_its_load_ends();
    void mode_menus_take_their_accelerators_data();
    void mode_menus_take_their_accelerators();
    void key_preview_sees_each_key_once_data();
    void key_preview_sees_each_key_once();
    void profile_window_sees_keys_and_pointer_over_the_tabs();
};

void ModeWindowsTest::closes_handled_back_to_back_data()
{
    QTest::addColumn<Mode>("mode");
    // Which window each queued close click goes to, in order: m the mode window, M the main window.
    QTest::addColumn<QString>("clicks");
    QTest::newRow("profile: mode, main") << Mode::Profile << "mM";
    QTest::newRow("readout: mode, main") << Mode::Readout << "mM";
    QTest::newRow("profile: main, main") << Mode::Profile << "MM";
    QTest::newRow("readout: mode, mode, main") << Mode::Readout << "mmM";
    QTest::newRow("profile: mode, main, mode") << Mode::Profile << "mMm";
    QTest::newRow("gsm: mode, main") << Mode::Gsm << "mM";
}

void ModeWindowsTest::closes_handled_back_to_back()
{
    QFETCH(Mode, mode);
    QFETCH(QString, clicks);
    TestBench tb(TestBench::Link::Gpib);
    g().instruments_ok = true;
    QPointer<sorvdemo> main = new_main_window();
    main->enter_mode(mode);
    QPointer<ModeWindow> w = main->open_mode_window();
    QVERIFY(w);
    QPointer<QWidget> frame = w->parentWidget();
    tb.clear_log();

    // Queued, so that each is handled inside the yields of the unload the one before started.
    for (QChar c : clicks) {
        QPointer<QWidget> target = c == 'm' ? frame : QPointer<QWidget>(main.data());
        QTimer::singleShot(0, [target] {
            if (target)
                target->close();
        });
    }
    run_event_loop();

    QVERIFY(!w);
    QVERIFY(!main);
    // The mode's leaving commands went out once and whole, then the bus went back to local once.
    const QStringList sent = traffic(tb);
    QCOMPARE(sent.count("send " + mode_leaving_command(mode)), 1);
    QCOMPARE(sent.count("sre 0"), 1);
    QVERIFY2(sent.indexOf("sre 0") > sent.lastIndexOf(QRegularExpression("^send ")), qPrintable(sent.join(" | ")));
}

void ModeWindowsTest::main_window_close_during_the_check_data()
{
    QTest::addColumn<QString>("number");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QByteArray>("written_at_exit");
    QTest::newRow("the meter answers") << "5551234" << QStringList() << QByteArray("!BYE+++");
    QTest::newRow("no answer") << "5550000"
                               << QStringList({"Unable to connect to the modem",
                                               "Couldnt connect/recognise sorvane. Disconnecting...."})
                               << QByteArray();
}

void ModeWindowsTest::main_window_close_during_the_check()
{
    QFETCH(QString, number);
    QFETCH(QStringList, boxes);
    QFETCH(QByteArray, written_at_exit);
    BenchDescription d;
    d.model = "RQ5812K";
    d.software_version = "2.10";
    d.phone_number = "5551234";
    TestBench tb(TestBench::Link::Modem, d);
    g().phone_number = number;
    QPointer<sorvdemo> main = new_main_window();

    // The close comes while the modem is still dialling.
    bool asked = false;
    tb.clock.on_yield = [&] {
        if (!asked && main && tb.bench.modem().dialing()) {
            asked = true;
            main->close();
        }
    };
    main->menuReset_Click();
    tb.clock.on_yield = nullptr;
    QVERIFY(asked);

    // The check ran to its end with the window still there; its boxes came while it was.
    QVERIFY(main);
    QVERIFY(!main->closed());
    QCOMPARE(tb.prompts.boxes(), boxes);
    QVERIFY(!tb.serial.written.contains("!BYE"));
    const qsizetype before = tb.serial.written.size();

    run_event_loop();
    QVERIFY(!main);
    QCOMPARE(tb.serial.written.mid(before), written_at_exit);
    QCOMPARE(tb.prompts.boxes(), boxes);
}

void ModeWindowsTest::mode_window_shown_when_its_load_ends_data()
{
    QTest::addColumn<Mode>("mode");
    QTest::newRow("profile") << Mode::Profile;
    QTest::newRow("readout") << Mode::Readout;
    QTest::newRow("gsm") << Mode::Gsm;
}

void ModeWindowsTest::mode_window_shown_when_its_load_ends()
{
    QFETCH(Mode, mode);
    TestBench tb(TestBench::Link::Gpib);
    g().instruments_ok = true;
    sorvdemo main(all_modes());
    main.show();
    // How much of the load's traffic had gone out when the mode's frame was shown.
    ShowWatch watch(main.mdi_area()->viewport(), [&tb] { return tb.log().entries().size(); });
    main.enter_mode(mode);
    ModeWindow* w = main.open_mode_window();
    QVERIFY(w);
    QVERIFY(tb.log().entries().size() > 0);
    QCOMPARE(watch.at_show, std::optional<size_t>(tb.log().entries().size()));
    QVERIFY(w->isVisible());
    QVERIFY(w->parentWidget()->isVisible());
    w->request_close();
    run_event_loop();
}

void ModeWindowsTest::mode_menus_take_their_accelerators_data()
{
    QTest::addColumn<Mode>("mode");
    QTest::addColumn<int>("key");
    // The mode window's menu that opens; empty when no menu may take the key.
    QTest::addColumn<QString>("menu");
    QTest::newRow("profile Alt+C") << Mode::Profile << int(Qt::Key_C) << "&Control";
    QTest::newRow("profile Alt+F") << Mode::Profile << int(Qt::Key_F) << "&File";
    QTest::newRow("profile Alt+H") << Mode::Profile << int(Qt::Key_H) << "&Help";
    QTest::newRow("profile Alt+P") << Mode::Profile << int(Qt::Key_P) << "";
    QTest::newRow("readout Alt+C") << Mode::Readout << int(Qt::Key_C) << "&Control";
    QTest::newRow("readout Alt+M") << Mode::Readout << int(Qt::Key_M) << "&Measurement";
}

void ModeWindowsTest::mode_menus_take_their_accelerators()
{
    QFETCH(Mode, mode);
    QFETCH(int, key);
    QFETCH(QString, menu);
    TestBench tb(TestBench::Link::Gpib);
    g().instruments_ok = true;
    sorvdemo main(all_modes());
    main.show();
    main.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&main));
    main.enter_mode(mode);
    ModeWindow* w = main.open_mode_window();
    QVERIFY(w);
    // The please-wait window had the activation during the load; once it is gone the desktop hands it back.
    run_event_loop();
    main.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&main));
    QVERIFY(w->isAncestorOf(QApplication::focusWidget()));

    // Pressed twice: competing accelerators take turns, so a second press shows what the first hid.
    for (int press = 0; press < 2; ++press) {
        QTest::keyClick(&main, Qt::Key(key), Qt::AltModifier);
        QAction* active = w->menuBar()->activeAction();
        QCOMPARE(active ? active->text() : QString(), menu);
        QVERIFY(!main.menuBar()->activeAction());
        if (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
        w->menuBar()->setActiveAction(nullptr);
    }
    w->request_close();
    run_event_loop();
}

void ModeWindowsTest::key_preview_sees_each_key_once_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("key");
    QTest::addColumn<QList<int>>("seen");
    QTest::addColumn<QString>("box_text");
    // The entry box keeps the key it is given.
    QTest::newRow("space into an entry box") << "box" << int(Qt::Key_Space) << QList<int>{32} << " ";
    // A button does not take a letter: it travels up to the window, and is still seen once.
    QTest::newRow("letter into a button") << "button" << int(Qt::Key_A) << QList<int>{'a'} << "";
    QTest::newRow("letter into the window") << "window" << int(Qt::Key_B) << QList<int>{'b'} << "";
    QTest::newRow("a key without text") << "box" << int(Qt::Key_F5) << QList<int>{} << "";
    QTest::newRow("another window") << "other" << int(Qt::Key_Space) << QList<int>{} << "";
}

void ModeWindowsTest::key_preview_sees_each_key_once()
{
    QFETCH(QString, target);
    QFETCH(int, key);
    QFETCH(QList<int>, seen);
    QFETCH(QString, box_text);
    QWidget window;
    auto* box = new QLineEdit(&window);
    auto* button = new QPushButton(QStringLiteral("Go"), &window);
    button->move(0, 40);
    QWidget other;
    auto* other_box = new QLineEdit(&other);
    QList<int> keys;
    new KeyPreview(&window, [&keys](int code) { keys << code; });
    window.show();
    other.show();
    QWidget* to = target == "box" ? static_cast<QWidget*>(box)
                  : target == "button" ? static_cast<QWidget*>(button)
                  : target == "window" ? &window
                                       : other_box;
    QTest::keyClick(to, Qt::Key(key));
    QCOMPARE(keys, seen);
    QCOMPARE(box->text(), box_text);
}

void ModeWindowsTest::profile_window_sees_keys_and_pointer_over_the_tabs()
{
    TestBench tb(TestBench::Link::Gpib);
    QPointer<graphtests> w = new graphtests;
    w->show();
    QVERIFY(w->load());
    QVERIFY(QTest::qWaitForWindowExposed(w));

    // A window-wide key preview feeds Form_KeyPress, whichever box has the focus.
    QVERIFY(w->findChild<KeyPreview*>());

    // Moving over the tabs with no button held puts the default pointer back.
    w->setCursor(Qt::WaitCursor);
    QTabBar* tabs = w->SSTab1->tabBar();
    const QPointF at = tabs->tabRect(1).center();
    QMouseEvent move(QEvent::MouseMove, at, tabs->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(tabs, &move);
    QCOMPARE(w->cursor().shape(), Qt::ArrowCursor);

    w->menuExit_Click();
    run_event_loop();
    QVERIFY(!w);
}

QTEST_MAIN(ModeWindowsTest)
#include "test_mode_windows.moc"
