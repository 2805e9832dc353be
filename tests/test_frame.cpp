// Stored configuration, main window, configuration window and help window.
#include "frame/configure_form.h"
#include "frame/help_window.h"
#include "frame/sorvdemo.h"
#include "frame/stored_config.h"
#include "link/globals.h"
#include "platform/platform.h"
#include "support/mode_session.h"
#include "support/test_bench.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPlainTextDocumentLayout>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTextBlock>
#include <QTextLayout>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {

void store_full_config(MemorySettingsStore& s, const QString& comms = QStringLiteral("2"))
{
    s.write("Comms", "Comms", comms);
    s.write("GPIB", "RQ58xxK", "13");
    s.write("Modem", "Modem", "False");
    s.write("Modem", "Phone Number", "5551234");
    s.write("Serial", "Port", "2");
    s.write("Serial", "Settings", "19200,N,8,1");
    s.write("GPIB", "Tolmare Synth addr", "5");
    s.write("GPIB", "Other synth", "False");
    s.write("GPIB", "Tolmare Synth", "True");
}

// Runs f against the modal dialog that opens next.
void on_next_modal(std::function<void(QWidget*)> f)
{
    QTimer::singleShot(0, [f] {
        QWidget* w = QApplication::activeModalWidget();
        QVERIFY(w);
        f(w);
    });
}

}  // namespace

class FrameTest : public QObject {
    Q_OBJECT
private slots:
    void config_round_trip_keeps_key_order_and_boolean_texts();
    void config_link_choice_by_comms_value();
    void settings_file_round_trip();
    void config_partial_load_stops_at_first_bad_key();
    void config_without_generator_address_means_none();
    void first_start_cancel_ends_without_config_window();
    void first_start_ok_opens_config_window_and_cancel_there_ends();
    void stored_config_loads_silently();
    void exit_sequence_on_modem_link();
    void exit_on_direct_serial_link_writes_nothing();
    void exit_on_gpib_returns_devices_to_local();
    void exit_asks_first();
    void small_window_grows_with_a_beep();
    void opens_with_room_for_the_mode_windows();
    void mode_entry_refused_when_check_fails();
    void config_form_link_choice_rules();
    void config_form_confirm_rules();
    void config_texts_refused_on_ok_and_at_load_data();
    void config_texts_refused_on_ok_and_at_load();
    void config_form_modem_without_number_stays_open();
    void config_form_close_box_is_cancel();
    void help_window_texts();
    void help_texts_keep_their_columns();
};

void FrameTest::config_round_trip_keeps_key_order_and_boolean_texts()
{
    TestBench tb(TestBench::Link::None);
    Globals& gs = g();
    gs.comms_type = 1;
    gs.meter_address = 7;
    gs.modem_in_use = true;
    gs.phone_number = "0123 456";
    tb.serial.set_port(2);
    tb.serial.set_settings("4800,N,8,1");
    gs.synth_address = 19;
    gs.other_synth = false;
    gs.maker_synth = true;
    module1::save_config();
    QCOMPARE(tb.settings.write_order,
             QStringList({"Comms/Comms", "GPIB/RQ58xxK", "Modem/Modem", "Modem/Phone Number", "Serial/Port",
                          "Serial/Settings", "GPIB/Tolmare Synth addr", "GPIB/Other synth", "GPIB/Tolmare Synth"}));
    QCOMPARE(tb.settings.values.value("Modem/Modem"), QString("True"));
    QCOMPARE(tb.settings.values.value("GPIB/Other synth"), QString("False"));

    reset_globals();
    tb.serial.set_port(1);
    tb.serial.set_settings("9600,N,8,1");
    module1::load_config();
    QVERIFY(tb.prompts.boxes().isEmpty());
    QCOMPARE(g().comms_type, 1);
    QVERIFY(g().serial_in_use);
    QVERIFY(!g().gpib_in_use);
    QCOMPARE(g().meter_address, 7);
    QVERIFY(g().modem_in_use);
    QCOMPARE(g().phone_number, QString("0123 456"));
    QCOMPARE(tb.serial.port(), 2);
    QCOMPARE(tb.serial.settings(), QString("4800,N,8,1"));
    QCOMPARE(g().synth_address, 19);
    QVERIFY(g().maker_synth);
    QVERIFY(module1::config_stored());
}

void FrameTest::settings_file_round_trip()
{
    // The real store: texts with commas come back whole, also when the file was edited by hand.
    QtSettingsStore store;
    store.write("Serial", "Settings", "9600,N,8,1");
    store.write("Modem", "Phone Number", "555 1234");
    QCOMPARE(store.read("Serial", "Settings").value_or(""), QString("9600,N,8,1"));
    QCOMPARE(store.read("Modem", "Phone Number").value_or(""), QString("555 1234"));
    QVERIFY(!store.read("GPIB", "RQ58xxK").has_value());
    {
        // What an unquoted 19200,N,8,1 in the file reads as.
        QSettings raw("Pelmora", "Pelmora");
        raw.setValue("Serial/Settings", QStringList({"19200", "N", "8", "1"}));
    }
    QCOMPARE(QtSettingsStore().read("Serial", "Settings").value_or(""), QString("19200,N,8,1"));
}

void FrameTest::config_link_choice_by_comms_value()
{
    for (const auto& [text, gpib, serial] :
         {std::tuple{"1", false, true}, std::tuple{"2", true, false}, std::tuple{"3", false, false}}) {
        TestBench tb(TestBench::Link::None);
        store_full_config(tb.settings, text);
        module1::load_config();
        QCOMPARE(g().gpib_in_use, gpib);
        QCOMPARE(g().serial_in_use, serial);
    }

    // The choice is text compared as a number: a missing, fractional or wordy value chooses no link,
    // and the keys after it are still read without a box.
    for (const char* text : {"", "2.4", "GPIB"}) {
        TestBench tb(TestBench::Link::None);
        store_full_config(tb.settings, text);
        if (!*text)
            tb.settings.values.remove("Comms/Comms");
        module1::load_config();
        QVERIFY(tb.prompts.boxes().isEmpty());
        QVERIFY(!g().gpib_in_use);
        QVERIFY(!g().serial_in_use);
        QCOMPARE(g().meter_address, 13);
        QCOMPARE(tb.serial.settings(), QString("19200,N,8,1"));
        QVERIFY(g().maker_synth);
    }
}

void FrameTest::config_partial_load_stops_at_first_bad_key()
{
    TestBench tb(TestBench::Link::None);
    store_full_config(tb.settings);
    tb.settings.values.remove("Modem/Modem");
    g().phone_number = "old";
    module1::load_config();
    QCOMPARE(tb.prompts.boxes(), QStringList({"Error: Type mismatch"}));
    QCOMPARE(tb.prompts.calls[0].title, QString("Pelmora"));
    QCOMPARE(g().meter_address, 13);  // read before the bad key
    QCOMPARE(g().phone_number, QString("old"));
    QCOMPARE(tb.serial.port(), 1);
    QCOMPARE(g().synth_address, -1);
    QVERIFY(!g().gpib_in_use);

    // A settings text the port refuses stops loading too.
    TestBench tb2(TestBench::Link::None);
    store_full_config(tb2.settings);
    tb2.settings.values["Serial/Settings"] = "fast";
    module1::load_config();
    QCOMPARE(tb2.prompts.boxes(), QStringList({"Error: Invalid property value"}));
    QVERIFY(!g().maker_synth);
}

void FrameTest::config_without_generator_address_means_none()
{
    TestBench tb(TestBench::Link::None);
    store_full_config(tb.settings);
    tb.settings.values.remove("GPIB/Tolmare Synth addr");
    g().synth_address = 9;
    module1::load_config();
    QVERIFY(tb.prompts.boxes().isEmpty());
    QCOMPARE(g().synth_address, -1);
    QVERIFY(g().gpib_in_use);
}

void FrameTest::first_start_cancel_ends_without_config_window()
{
    TestBench tb(TestBench::Link::None);
    tb.prompts.answers = {Prompts::Answer::Cancel};
    sorvdemo w;
    bool dialog_seen = false;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] { dialog_seen |= QApplication::activeModalWidget() != nullptr; });
    probe.start(0);
    QVERIFY(!w.MDIForm_Load());
    QVERIFY(!dialog_seen);
    QCOMPARE(tb.prompts.calls.size(), size_t(1));
    const auto& c = tb.prompts.calls[0];
    QCOMPARE(c.title, QString("No Config File found."));
    QCOMPARE(c.text, QString("You must configure Pelmora for your system.\r\n\r\nPress: \r\n  Ok to continue\r\n  Cancel to quit"));
    QCOMPARE(c.buttons, Prompts::Buttons::OkCancel);
    QVERIFY(w.isVisible());  // shown before the box
    QVERIFY(tb.log().entries().empty());
}

void FrameTest::first_start_ok_opens_config_window_and_cancel_there_ends()
{
    TestBench tb(TestBench::Link::None);
    sorvdemo w;
    on_next_modal([](QWidget* d) {
        auto* form = qobject_cast<Configure_Form*>(d);
        QVERIFY(form);
        form->Cancel_button_Click();
    });
    QVERIFY(!w.MDIForm_Load());
    QCOMPARE(w.Tag, QString("cancled"));
    QVERIFY(tb.settings.values.isEmpty());

    // OK in the window stores the configuration and start-up goes on.
    TestBench tb2(TestBench::Link::None);
    sorvdemo w2;
    on_next_modal([](QWidget* d) {
        auto* form = qobject_cast<Configure_Form*>(d);
        QVERIFY(form);
        form->GPIB_address_box->setText("13");
        form->synth_addr_box->setText("5");
        form->OK_button_Click();
    });
    QVERIFY(w2.MDIForm_Load());
    QCOMPARE(tb2.settings.values.value("GPIB/RQ58xxK"), QString("13"));
    QCOMPARE(tb2.settings.values.value("Comms/Comms"), QString("2"));
    QVERIFY(g().gpib_in_use);
    QVERIFY(!g().instruments_ok);
}

void FrameTest::stored_config_loads_silently()
{
    TestBench tb(TestBench::Link::None);
    store_full_config(tb.settings);
    g().test_running = true;
    sorvdemo w;
    QVERIFY(w.MDIForm_Load());
    QVERIFY(tb.prompts.calls.empty());
    QVERIFY(!g().test_running);
    QCOMPARE(g().meter_address, 13);
    QVERIFY(g().gpib_in_use);
    QVERIFY(tb.log().entries().empty());  // start-up sends nothing
}

void FrameTest::exit_sequence_on_modem_link()
{
    TestBench tb(TestBench::Link::Modem);
    {
        sorvdemo w;
        w.show();
        tb.serial.written.clear();
        const qint64 t0 = tb.clock.now_us();
        w.close();
        QCOMPARE(tb.serial.written, QByteArray("!BYE+++"));
        QVERIFY(!tb.serial.is_open());
        QCOMPARE(tb.clock.now_us() - t0, qint64(1'100'000));
    }
}

void FrameTest::exit_on_direct_serial_link_writes_nothing()
{
    TestBench tb(TestBench::Link::Serial);
    sorvdemo w;
    w.show();
    tb.serial.written.clear();
    w.close();
    QVERIFY(tb.serial.written.isEmpty());
    QVERIFY(!tb.serial.is_open());
}

void FrameTest::exit_on_gpib_returns_devices_to_local()
{
    TestBench tb(TestBench::Link::Gpib);
    sorvdemo w;
    w.show();
    tb.clear_log();
    w.close();
    QStringList kinds;
    std::vector<qint64> times;
    for (const auto& e : tb.log().entries()) {
        if (e.kind == "sre" || e.kind == "sic") {
            kinds << e.kind + " " + QString::fromLatin1(e.bytes);
            times.push_back(e.t_us);
        }
    }
    QCOMPARE(kinds.size(), 3);
    QVERIFY(kinds[0].startsWith("sre"));
    QVERIFY(kinds[0].endsWith("0"));
    QVERIFY(kinds[1].endsWith("1"));
    QVERIFY(kinds[2].startsWith("sic"));
    QCOMPARE(times[1] - times[0], qint64(250'000));
}

void FrameTest::exit_asks_first()
{
    TestBench tb(TestBench::Link::None);
    sorvdemo w;
    w.show();
    tb.prompts.answers = {Prompts::Answer::No};
    w.menuExit_Click();
    QVERIFY(w.isVisible());
    QCOMPARE(tb.prompts.calls.back().title, QString("Exit Pelmora"));
    QCOMPARE(tb.prompts.calls.back().text, QString("Are you sure?"));
    QCOMPARE(tb.prompts.calls.back().buttons, Prompts::Buttons::YesNo);
    tb.prompts.answers = {Prompts::Answer::Yes};
    w.menuExit_Click();
    QVERIFY(w.closed());
}

void FrameTest::small_window_grows_with_a_beep()
{
    TestBench tb(TestBench::Link::None);
    sorvdemo w;
    w.show();
    w.resize(800, 600);
    QCOMPARE(tb.prompts.beeps(), 0);
    w.resize(500, 300);
    QCOMPARE(w.size(), QSize(640, 480));
    QCOMPARE(tb.prompts.beeps(), 1);
}

// On a full-HD screen the source-sweep and profile windows open whole in the main window; on a smaller
// screen the main window stays within it.
void FrameTest::opens_with_room_for_the_mode_windows()
{
    const QSize room = QGuiApplication::primaryScreen()->availableGeometry().size();
    if (room.width() < 1920) {
        TestBench tb(TestBench::Link::None);
        sorvdemo small;
        QVERIFY(small.width() <= room.width() && small.height() <= room.height());
        // The rest on a screen that has the room: this test again, on an offscreen screen of that size.
        QTemporaryDir dir;
        QFile config(dir.filePath("screen.json"));
        QVERIFY(config.open(QIODevice::WriteOnly));
        config.write(R"({"screens": [{"name": "hd", "x": 0, "y": 0, "width": 1920, "height": 1080}]})");
        config.close();
        QProcess again;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen:configfile=" + config.fileName());
        again.setProcessEnvironment(env);
        again.start(QCoreApplication::applicationFilePath(), {"opens_with_room_for_the_mode_windows"});
        QVERIFY(again.waitForFinished(60000));
        QVERIFY2(again.exitCode() == 0, again.readAllStandardOutput().constData());
        return;
    }
    for (const Mode mode : {Mode::SourceSweep, Mode::Profile}) {
        ModeSession<ModeWindow> session(mode);
        QVERIFY(session.enter());
        QVERIFY(QTest::qWaitForWindowExposed(session.main.get()));
        QMdiArea* area = session.main->mdi_area();
        const QRect sub = area->subWindowList().front()->geometry();
        QVERIFY2(area->viewport()->rect().contains(sub), qPrintable(QString("%1 x %2 in %3 x %4")
            .arg(sub.width()).arg(sub.height()).arg(area->viewport()->width()).arg(area->viewport()->height())));
    }
}

void FrameTest::mode_entry_refused_when_check_fails()
{
    TestBench tb(TestBench::Link::None);
    sorvdemo w;
    w.menuReadout_Click();
    QCOMPARE(tb.prompts.boxes().last(), QString("Unable to goto that mode - system configuration problem."));
    QVERIFY(w.open_mode_window() == nullptr);
    QVERIFY(w.menuModeBar->isEnabled());
    QVERIFY(!w.menuReadout->isChecked());

    tb.prompts.clear();
    g().instruments_ok = true;
    g().meter_model = "RQ5811K";
    w.menuCDMA_Click();
    QCOMPARE(tb.prompts.boxes(), QStringList({"This mode is only allowed for the RQ5822K or RQ5821K type of Power Meters"}));
    QCOMPARE(tb.prompts.calls[0].title, QString("Wrong Power Meter Type: RQ5811K"));
    QVERIFY(w.open_mode_window() == nullptr);
}

void FrameTest::config_form_link_choice_rules()
{
    TestBench tb(TestBench::Link::None);
    g().comms_type = 2;
    g().maker_synth = true;
    g().synth_address = 5;
    tb.serial.set_settings("57600,N,8,1");
    Configure_Form f;
    QVERIFY(f.Comms_choice[0]->isChecked());
    QVERIFY(f.Synth_type_option[0]->isChecked());
    QCOMPARE(f.synth_addr_box->text(), QString("5"));
    QCOMPARE(f.Baud_Rate_combo->currentIndex(), -1);  // 57600 is not in the list
    f.Comms_choice[1]->setChecked(true);
    f.Comms_choice_Click(1);
    QVERIFY(f.Synth_type_option[2]->isChecked());
    QVERIFY(!f.Synth_type_option[0]->isEnabled());
    QVERIFY(!f.GPIB_address_box->isEnabled());
    f.Comms_choice[0]->setChecked(true);
    f.Comms_choice_Click(0);
    QVERIFY(f.Synth_type_option[0]->isChecked());
    QVERIFY(f.synth_addr_box->isEnabled());

    // Clicking the link already chosen keeps the generator option picked since; a change of link
    // applies the rules, whether by click or from code.
    f.Synth_type_option[2]->click();
    f.Comms_choice[0]->click();
    QVERIFY(f.Synth_type_option[2]->isChecked());
    f.Comms_choice[1]->click();
    QVERIFY(!f.synth_addr_box->isEnabled());
    f.Comms_choice[0]->setChecked(true);
    QVERIFY(f.Synth_type_option[0]->isChecked());
    QVERIFY(f.synth_addr_box->isEnabled());
    {
        // Opening on the serial link applies its rules before the stored generator is shown.
        g().comms_type = 1;
        g().maker_synth = false;
        Configure_Form fs;
        QVERIFY(fs.Comms_choice[1]->isChecked());
        QVERIFY(fs.Synth_type_option[2]->isChecked());
        QVERIFY(!fs.Synth_type_option[0]->isEnabled());
        g().comms_type = 2;
        g().maker_synth = true;
    }

    // Serial with no speed chosen asks for one and changes nothing.
    f.Comms_choice[1]->setChecked(true);
    f.Comms_choice_Click(1);
    f.OK_button_Click();
    QCOMPARE(tb.prompts.boxes(), QStringList({"Please select a baud rate."}));
    QCOMPARE(tb.prompts.calls[0].title, QString("Require information missing"));
    QVERIFY(tb.settings.values.isEmpty());
}

void FrameTest::config_form_confirm_rules()
{
    TestBench tb(TestBench::Link::None);
    g().comms_type = 2;
    tb.serial.set_settings("4800,N,8,1");
    g().ibsta = qint16(0x8000);
    g().iberr = 6;
    sorvdemo main;
    {
        // GPIB with no speed selected: no baud asked for, port not opened, its settings kept.
        Configure_Form f;
        f.Baud_Rate_combo->setCurrentIndex(-1);
        f.GPIB_address_box->setText("11");
        f.Synth_type_option[0]->setChecked(true);
        f.synth_addr_box->setText("4");
        f.Port_Choice[1]->setChecked(true);
        f.OK_button_Click();
        QVERIFY(tb.prompts.boxes().isEmpty());
        QCOMPARE(main.Tag, QString("ok"));
        QVERIFY(!tb.serial.is_open());
        QCOMPARE(tb.serial.settings(), QString("4800,N,8,1"));
        QCOMPARE(tb.serial.port(), 2);
        QCOMPARE(g().meter_address, 11);
        QCOMPARE(g().synth_address, 4);
        QVERIFY(g().gpib_in_use);
        QCOMPARE(g().ibsta, qint16(0));
        QCOMPARE(g().iberr, qint16(0));
    }
    {
        // Serial: the port is set up and opened; the generator is dropped.
        tb.serial.set_endpoint(&tb.bench.direct_line());
        Configure_Form f;
        f.Comms_choice[1]->setChecked(true);
        f.Comms_choice_Click(1);
        f.Baud_Rate_combo->setCurrentIndex(3);
        f.Port_Choice[0]->setChecked(true);
        f.OK_button_Click();
        QVERIFY(tb.serial.is_open());
        QCOMPARE(tb.serial.settings(), QString("9600,N,8,1"));
        QCOMPARE(tb.serial.port(), 1);
        QVERIFY(g().serial_in_use);
        QVERIFY(!g().gpib_in_use);
        QVERIFY(!g().maker_synth);
        QCOMPARE(g().synth_address, -1);
        QCOMPARE(tb.settings.values.value("Comms/Comms"), QString("1"));
        QCOMPARE(tb.settings.values.value("Serial/Settings"), QString("9600,N,8,1"));
    }
    {
        // A port held elsewhere keeps the window open with its own message.
        tb.serial.close();
        tb.serial.busy_elsewhere = true;
        tb.prompts.clear();
        main.Tag.clear();
        Configure_Form f;
        f.Baud_Rate_combo->setCurrentIndex(3);
        f.OK_button_Click();
        QCOMPARE(tb.prompts.boxes(), QStringList({"Port already in use...please choose the other port."}));
        QVERIFY(main.Tag.isEmpty());
    }
}

void FrameTest::config_texts_refused_on_ok_and_at_load_data()
{
    QTest::addColumn<QString>("key");  // the stored key the box is saved under
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("ok_box");    // the window's refusal; empty: taken
    QTest::addColumn<QString>("load_box");  // the start-up's refusal
    QTest::addColumn<QString>("held");      // the setting afterwards ("99" and "old" before)
    const QString address = "The RQ58xxK Address must be a number.";
    const QString synth = "The address of the Tolmare Synth Generator must be a number.";
    const QString phone = "The Phone Number must not hold control characters.";
    const QString mismatch = "Error: Type mismatch";
    const QString invalid = "Error: Invalid property value";
    const QString meter_key = "GPIB/RQ58xxK", phone_key = "Modem/Phone Number";
    QTest::newRow("address text") << meter_key << "thirteen" << address << mismatch << "99";
    QTest::newRow("address hex") << meter_key << "&HD" << "" << "" << "13";
    QTest::newRow("address hex 32-bit") << meter_key << "&hd&" << "" << "" << "13";
    QTest::newRow("address no hex digits") << meter_key << "&Hzz" << address << mismatch << "99";
    QTest::newRow("address hex and more") << meter_key << "&H1;*RST" << address << mismatch << "99";
    QTest::newRow("address bare &H") << meter_key << "&H" << address << mismatch << "99";
    QTest::newRow("generator hex and more") << "GPIB/Tolmare Synth addr" << "&H5 5" << synth << mismatch << "99";
    QTest::newRow("phone with CR LF") << phone_key << "555\r\nAT&F;*RST" << phone << invalid << "old";
    QTest::newRow("phone with tab") << phone_key << "555\t1234" << phone << invalid << "old";
    QTest::newRow("phone dial string") << phone_key << "9,(01) 555-1234 W" << "" << "" << "9,(01) 555-1234 W";
}

void FrameTest::config_texts_refused_on_ok_and_at_load()
{
    QFETCH(QString, key);
    QFETCH(QString, text);
    QFETCH(QString, ok_box);
    QFETCH(QString, load_box);
    QFETCH(QString, held);
    const auto setting = [&] {
        const Globals& gs = g();
        return key == "Modem/Phone Number" ? gs.phone_number
                                           : QString::number(key == "GPIB/RQ58xxK" ? gs.meter_address : gs.synth_address);
    };
    const auto preset = [] {
        g().meter_address = 99;
        g().synth_address = 99;
        g().phone_number = "old";
    };
    {
        TestBench tb(TestBench::Link::None);
        g().comms_type = 2;
        preset();
        Configure_Form f;
        f.Baud_Rate_combo->setCurrentIndex(-1);
        f.Synth_type_option[0]->setChecked(true);
        QLineEdit* box = key == "GPIB/RQ58xxK"         ? f.GPIB_address_box
                         : key == "Modem/Phone Number" ? f.Phone_Number_Box
                                                       : f.synth_addr_box;
        box->setText(text);
        QCOMPARE(box->text(), text);
        f.OK_button_Click();
        QCOMPARE(tb.prompts.boxes(), ok_box.isEmpty() ? QStringList() : QStringList{ok_box});
        QCOMPARE(setting(), held);
        QCOMPARE(tb.settings.values.isEmpty(), !ok_box.isEmpty());
    }
    TestBench tb(TestBench::Link::None);
    store_full_config(tb.settings);
    tb.settings.values[key] = text;
    preset();
    module1::load_config();
    QCOMPARE(tb.prompts.boxes(), load_box.isEmpty() ? QStringList() : QStringList{load_box});
    QCOMPARE(setting(), held);
}

void FrameTest::config_form_modem_without_number_stays_open()
{
    TestBench tb(TestBench::Link::None);
    tb.serial.set_endpoint(&tb.bench.direct_line());
    sorvdemo main;
    Configure_Form f;
    f.Comms_choice[1]->setChecked(true);
    f.Comms_choice_Click(1);
    f.Baud_Rate_combo->setCurrentIndex(3);
    f.Modem_connection_check->setChecked(true);
    f.Phone_Number_Box->setText("");
    f.OK_button_Click();
    QCOMPARE(tb.prompts.boxes(),
             QStringList({"You must supply a phone number if you are going to use the Modem Connection."}));
    QCOMPARE(tb.settings.values.value("Modem/Modem"), QString("True"));  // already stored
    QVERIFY(tb.serial.is_open());
    QVERIFY(main.Tag.isEmpty());

    tb.prompts.clear();
    f.Phone_Number_Box->setText("5551234");
    f.OK_button_Click();
    QCOMPARE(tb.prompts.boxes(),
             QStringList({"You will be asked to connect to the Power Meter before you go into any of the modes first."}));
    QCOMPARE(main.Tag, QString("ok"));
}

void FrameTest::config_form_close_box_is_cancel()
{
    TestBench tb(TestBench::Link::None);
    sorvdemo main;
    Configure_Form f;
    f.show();
    f.close();
    QCOMPARE(main.Tag, QString("cancled"));
    QVERIFY(tb.settings.values.isEmpty());
}

void FrameTest::help_window_texts()
{
    TestBench tb(TestBench::Link::None);
    QTemporaryDir dir;
    Help_Window::set_program_folder(dir.path());
    sorvdemo main;
    {
        main.Tag = "GSMhelp.txt";
        Help_Window h;
        QCOMPARE(h.text, "The file: " + dir.path() + "/GSMhelp.txt was not found.");
    }
    {
        QFile f(dir.path() + "/empty.txt");
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        main.Tag = "empty.txt";
        Help_Window h;
        QCOMPARE(h.text, QString());
        QCOMPARE(h.Text1->toPlainText(), QString());
    }
    {
        QFile f(dir.path() + "/two.txt");
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("first\nlast without end");
        f.close();
        main.Tag = "two.txt";
        Help_Window h;
        QCOMPARE(h.text, QString("first\r\nlast without end\r\n"));
        // A very low window keeps the box's last height.
        h.show();
        h.resize(500, 400);
        const int height = h.Text1->height();
        QVERIFY(height > 0);
        h.resize(500, 40);
        QCOMPARE(h.Text1->height(), height);
    }
    Help_Window::set_program_folder(QString());
    // The shipped help files are all there.
    for (const char* name : {"Introhelp.txt", "confighelp.txt", "Modeshelp.txt", "profile.txt", "CDMAhelp.txt",
                             "GSMhelp.txt", "readout.txt", "source.txt"})
        QVERIFY2(QFile::exists(QString(PELMORA_HELP_SOURCE_DIR) + "/" + name), name);
}

void FrameTest::help_texts_keep_their_columns()
{
    // The shipped texts line up their columns with spaces: a fixed-pitch font, and no line wrapped.
    TestBench tb(TestBench::Link::None);
    Help_Window::set_program_folder(QString(PELMORA_HELP_SOURCE_DIR));
    sorvdemo main;
    for (const char* name : {"Introhelp.txt", "confighelp.txt", "readout.txt", "Modeshelp.txt"}) {
        main.Tag = name;
        Help_Window h;
        h.show();
        QVERIFY(QTest::qWaitForWindowExposed(&h));
        QVERIFY2(QFontInfo(h.Text1->font()).fixedPitch(), name);
        QAbstractTextDocumentLayout* layout = h.Text1->document()->documentLayout();
        for (QTextBlock b = h.Text1->document()->begin(); b.isValid(); b = b.next()) {
            layout->blockBoundingRect(b);
            QVERIFY2(b.layout()->lineCount() == 1, qPrintable(name + QStringLiteral(": ") + b.text()));
        }
    }
    Help_Window::set_program_folder(QString());
}

QTEST_MAIN(FrameTest)
#include "test_frame.moc"
