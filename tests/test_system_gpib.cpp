// The GPIB driver over the system's 488.2 library, exercised through a stand-in library that answers from
// the simulated bench: the same wire as the simulated bus, the library's own numbering on its calls, the
// status words after failures, and the choice of driver with its refusals.
#include "frame/system_check.h"
#include "link/globals.h"
#include "link/vbib32.h"
#include "platform/gpib_choice.h"
#include "platform/platform.h"
#include "platform/system_gpib.h"
#include "profile/graphtests.h"
#include "readout/readout_spd.h"
#include "sim/sim_gpib_bus.h"
#include "support/event_loop.h"
#include "support/test_bench.h"

#include <QPointer>
#include <QtTest>
#include <dlfcn.h>

namespace {

// The stand-in's test controls, looked up in the same loaded library the driver uses.
struct StandInControls {
    void* handle = nullptr;
    void (*reset)() = nullptr;
    const char* (*calls)() = nullptr;
    const char* (*wire)() = nullptr;
    void (*fail_next)(const char*, int) = nullptr;
    void (*always_timeout)(int, int) = nullptr;

    StandInControls()
    {
        handle = ::dlopen(STANDIN_GPIB, RTLD_NOW | RTLD_LOCAL);
        if (!handle)
            return;
        reset = reinterpret_cast<void (*)()>(::dlsym(handle, "pelmora_standin_reset"));
        calls = reinterpret_cast<const char* (*)()>(::dlsym(handle, "pelmora_standin_calls"));
        wire = reinterpret_cast<const char* (*)()>(::dlsym(handle, "pelmora_standin_wire"));
        fail_next = reinterpret_cast<void (*)(const char*, int)>(::dlsym(handle, "pelmora_standin_fail_next"));
        always_timeout = reinterpret_cast<void (*)(int, int)>(::dlsym(handle, "pelmora_standin_always_timeout"));
    }
    ~StandInControls()
    {
        if (handle)
            ::dlclose(handle);
    }
    QStringList call_lines() const { return QString::fromLatin1(calls()).split('\n', Qt::SkipEmptyParts); }
    QStringList wire_lines() const
    {
        QStringList out;
        for (const QByteArray& l : QByteArray(wire()).split('\n'))
            if (!l.isEmpty())
                out << QString::fromLatin1(QByteArray::fromPercentEncoding(l));
        return out;
    }
};

// The traffic that reached the bus, as "kind address text"; registration is the driver's own business.
QStringList bus_traffic(const QStringList& lines)
{
    QStringList out;
    for (const QString& l : lines)
        if (!l.startsWith("register") && !l.startsWith("unregister"))
            out << l;
    return out;
}

std::unique_ptr<SystemGpibDriver> load_standin()
{
    SystemGpibDriver::Loaded loaded = SystemGpibDriver::load(STANDIN_GPIB);
    return std::move(loaded.driver);
}

void use_driver(GpibDriver* driver)
{
    Platform p = platform();
    p.gpib = driver;
    install_platform(p);
}

// A system check, a profile Run Once and a short readout run, each window closed again.
void user_session(TestBench& tb)
{
    QVERIFY(module1::check_instruments(nullptr));
    {
        QPointer<graphtests> w = new graphtests;
        w->show();
        QVERIFY(w->load());
        w->menuRunOnce_Click();
        w->menuExit_Click();
        settle_events();
    }
    {
        QPointer<readout_spd> w = new readout_spd;
        w->show();
        QVERIFY(w->load());
        int yields = 0;
        tb.clock.on_yield = [&] {
            if (++yields == 20 && w)
                w->menuStop_Click();
        };
        w->menuRun_Click();
        tb.clock.on_yield = nullptr;
        w->menuExit_Click();
        settle_events();
    }
}

struct LinkStatus {
    int ibsta, iberr, ibcnt;
    bool operator==(const LinkStatus&) const = default;
};

LinkStatus link_status() { return {g().ibsta, g().iberr, g().ibcnt}; }

QByteArray describe(const char* name, const LinkStatus& a, const LinkStatus& b)
{
    const auto one = [](const LinkStatus& s) {
        return "ibsta=0x" + QByteArray::number(s.ibsta & 0xFFFF, 16) + " iberr=" + QByteArray::number(s.iberr) +
               " ibcnt=" + QByteArray::number(s.ibcnt);
    };
    return QByteArray(name) + ": bus " + one(a) + ", library " + one(b);
}

}  // namespace

class SystemGpibTest : public QObject {
    Q_OBJECT
private slots:
    void same_wire_as_the_simulated_bus();
    void library_numbering_on_the_calls();
    void status_words_after_failures();
    void refused_libraries();
    void request_from_arguments_and_store();
    void choice_of_driver();
};

void SystemGpibTest::same_wire_as_the_simulated_bus()
{
    QStringList simulated;
    {
        TestBench tb(TestBench::Link::Gpib);
        user_session(tb);
        simulated = bus_traffic(tb.log().lines());
    }
    StandInControls standin;
    QVERIFY(standin.handle);
    standin.reset();
    auto driver = load_standin();
    QVERIFY(driver);
    {
        TestBench tb(TestBench::Link::Gpib);
        use_driver(driver.get());
        user_session(tb);
        QVERIFY(tb.log().lines().isEmpty());  // nothing went to the test's own bus
        QVERIFY(tb.prompts.boxes().isEmpty());
    }
    const QStringList through_library = bus_traffic(standin.wire_lines());
    QVERIFY(simulated.contains("send 13 *IDN?"));
    QVERIFY(simulated.count("send 13 OGBD") == 3);
    if (through_library != simulated) {
        qDebug().noquote() << "simulated:" << simulated.join(" | ");
        qDebug().noquote() << "library:" << through_library.join(" | ");
    }
    QCOMPARE(through_library, simulated);
}

void SystemGpibTest::library_numbering_on_the_calls()
{
    StandInControls standin;
    standin.reset();
    auto driver = load_standin();
    QVERIFY(driver);
    TestBench tb(TestBench::Link::Gpib);
    use_driver(driver.get());

    int ud = -1;
    vbib32::ibfind("GPIB0", ud);
    vbib32::ibtmo(ud, 12);
    vbib32::Send(0, 13, "*IDN?");
    QByteArray buffer = vbib32::fixed_buffer(60);
    vbib32::Receive(0, 13, buffer);
    vbib32::ReceiveSetup(0, 13);
    int srq = -1;
    vbib32::wait_srq(0, srq);
    int stb = -1;
    vbib32::ReadStatusByte(0, 13, stb);
    vbib32::DevClear(0, 13);
    vbib32::SendIFC(0);
    vbib32::ibsre(ud, 0);

    // The link's end mode 1 is the library's NLend (2); STOPend and the wait mask keep their meaning.
    const QStringList expected = {
        "ibfind GPIB0",         "ibtmo 0 12",          "Send 0 13 *IDN? eot=2", "Receive 0 13 count=60 term=0x100",
        "ReceiveSetup 0 13",    "ibwait 0 0x5000",     "ReadStatusByte 0 13",   "DevClear 0 13",
        "SendIFC 0",            "ibsre 0 0",
    };
    QCOMPARE(standin.call_lines(), expected);
    QVERIFY(vbib32::text_of(buffer).startsWith("TOLMARE,RQ5822K"));
    QCOMPARE(srq, 0);
}

void SystemGpibTest::status_words_after_failures()
{
    struct Case {
        const char* name;
        std::function<void(SimGpibBus&)> on_bus;
        std::function<void(StandInControls&)> on_standin;
        std::function<void()> call;
    };
    const auto receive = [] {
        QByteArray b = vbib32::fixed_buffer(20);
        vbib32::Receive(0, 13, b);
    };
    const QList<Case> cases = {
        {"time-out on a read", [](SimGpibBus& b) { b.always_timeout(13); },
         [](StandInControls& s) { s.always_timeout(13, 1); }, receive},
        {"no listener on a send", [](SimGpibBus& b) { b.fail_next("send", GpibDriver::ENOL); },
         [](StandInControls& s) { s.fail_next("send", GpibDriver::ENOL); }, [] { vbib32::Send(0, 13, "*CLS"); }},
        {"driver error on a device clear", [](SimGpibBus& b) { b.fail_next("dev_clear", GpibDriver::EDVR); },
         [](StandInControls& s) { s.fail_next("dev_clear", GpibDriver::EDVR); }, [] { vbib32::DevClear(0, 13); }},
        {"good read", [](SimGpibBus&) {}, [](StandInControls&) {},
         [receive] {
             vbib32::Send(0, 13, "*IDN?");
             receive();
         }},
    };
    StandInControls standin;
    auto driver = load_standin();
    QVERIFY(driver);
    for (const Case& c : cases) {
        LinkStatus on_bus{}, through_library{};
        {
            TestBench tb(TestBench::Link::Gpib);
            c.on_bus(tb.bench.bus());
            c.call();
            on_bus = link_status();
        }
        {
            standin.reset();
            TestBench tb(TestBench::Link::Gpib);
            use_driver(driver.get());
            c.on_standin(standin);
            c.call();
            through_library = link_status();
        }
        QVERIFY2(on_bus == through_library, describe(c.name, on_bus, through_library).constData());
        if (QByteArray(c.name) != "good read")
            QVERIFY2(on_bus.ibsta & vbib32::ERR, c.name);
    }
}

void SystemGpibTest::refused_libraries()
{
    const SystemGpibDriver::Loaded absent = SystemGpibDriver::load("/nonexistent/libgpib-none.so.0");
    QVERIFY(!absent.driver);
    QVERIFY(absent.error.contains("/nonexistent/libgpib-none.so.0"));

    const SystemGpibDriver::Loaded partial = SystemGpibDriver::load(STANDIN_GPIB_PARTIAL);
    QVERIFY(!partial.driver);
    QCOMPARE(partial.missing_call, QString("ReadStatusByte"));

    // Asked for and missing a call: the box names library and call, and there is no GPIB at all.
    GpibChoice c = choose_gpib(GpibRequest{"system", STANDIN_GPIB_PARTIAL, {}});
    QCOMPARE(c.kind, GpibChoice::Kind::None);
    QCOMPARE(c.problem, QString("The GPIB library \"%1\" lacks the call \"ReadStatusByte\".\r\n"
                                "Pelmora goes on without GPIB.")
                            .arg(STANDIN_GPIB_PARTIAL));
    QVERIFY(c.driver);
    TestBench tb(TestBench::Link::Gpib);
    use_driver(c.driver.get());
    vbib32::Send(0, 13, "*IDN?");
    QCOMPARE(g().ibsta & 0xFFFF, vbib32::ERR);
    QCOMPARE(int(g().iberr), int(GpibDriver::ENEB));
}

void SystemGpibTest::request_from_arguments_and_store()
{
    struct Case {
        QStringList args;
        QMap<QString, QString> stored;
        QString driver, library;
        bool problem;
    };
    const QList<Case> cases = {
        {{"pelmora"}, {}, "", "", false},
        {{"pelmora", "--gpib=System"}, {}, "system", "", false},
        {{"pelmora", "--gpib", "simulated"}, {{"GPIB/Driver", "system"}}, "simulated", "", false},
        {{"pelmora"}, {{"GPIB/Driver", "simulated"}, {"GPIB/Library", "/opt/lib/libx.so"}}, "simulated",
         "/opt/lib/libx.so", false},
        {{"pelmora", "--gpib-library=/tmp/l.so"}, {{"GPIB/Library", "/opt/lib/libx.so"}}, "", "/tmp/l.so", false},
        {{"pelmora", "--gpib=fast"}, {}, "", "", true},
    };
    for (const Case& c : cases) {
        MemorySettingsStore store;
        for (auto it = c.stored.begin(); it != c.stored.end(); ++it)
            store.write(it.key().section('/', 0, 0), it.key().section('/', 1), it.value());
        const GpibRequest r = gpib_request(c.args, &store);
        QCOMPARE(r.driver, c.driver);
        QCOMPARE(r.library, c.library);
        QCOMPARE(!r.problem.isEmpty(), c.problem);
    }
}

void SystemGpibTest::choice_of_driver()
{
    int loads = 0;
    const GpibLoader not_installed = [&](const QString&) {
        ++loads;
        SystemGpibDriver::Loaded l;
        l.error = "libgpib.so.0: cannot open shared object file";
        return l;
    };
    // Default: the simulated bench, quietly, when no library is installed.
    GpibChoice c = choose_gpib(GpibRequest{}, not_installed);
    QCOMPARE(c.kind, GpibChoice::Kind::Simulated);
    QVERIFY(!c.driver);
    QVERIFY(c.problem.isEmpty());
    QCOMPARE(c.description, QString("simulated bench"));
    // Simulated asked for: the library is not even tried.
    loads = 0;
    c = choose_gpib(GpibRequest{"simulated", {}, {}}, not_installed);
    QCOMPARE(c.kind, GpibChoice::Kind::Simulated);
    QCOMPARE(loads, 0);
    // A named library that does not exist: its box, then the simulated bench.
    c = choose_gpib(GpibRequest{{}, "/nonexistent/lib.so", {}});
    QCOMPARE(c.kind, GpibChoice::Kind::Simulated);
    QVERIFY(c.problem.startsWith("The GPIB library \"/nonexistent/lib.so\" could not be loaded:\r\n"));
    QVERIFY(c.problem.endsWith("\r\nPelmora goes on with the simulated bench."));
    // System asked for and absent: its box, and no GPIB.
    c = choose_gpib(GpibRequest{"system", {}, {}}, not_installed);
    QCOMPARE(c.kind, GpibChoice::Kind::None);
    QVERIFY(c.problem.endsWith("Pelmora goes on without GPIB."));
    // A library that loads drives, by default or when asked for.
    for (const QString& driver : {QString(), QString("system")}) {
        c = choose_gpib(GpibRequest{driver, STANDIN_GPIB, {}});
        QCOMPARE(c.kind, GpibChoice::Kind::System);
        QVERIFY(c.driver);
        QCOMPARE(c.description, QString("system library %1").arg(STANDIN_GPIB));
        QVERIFY(c.problem.isEmpty());
    }
}

QTEST_MAIN(SystemGpibTest)
#include "test_system_gpib.moc"
