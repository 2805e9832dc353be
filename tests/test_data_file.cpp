// Data file text, naming, whole-or-nothing writing, and the page set-up of printed pages.
#include "frame/data_file.h"
#include "frame/page_setup.h"
#include "platform/canvas.h"
#include "support/test_bench.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <sys/resource.h>

namespace {

QByteArray read_all(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void put(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// A full disk for the length of a scope: writes past bytes fail (no limit when negative).
struct FileSizeLimit {
    explicit FileSizeLimit(long bytes) : handler(std::signal(SIGXFSZ, SIG_IGN))
    {
        getrlimit(RLIMIT_FSIZE, &old);
        struct rlimit small = old;
        if (bytes >= 0)
            small.rlim_cur = rlim_t(bytes);
        setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &old), std::signal(SIGXFSZ, handler); }
    void (*handler)(int);
    struct rlimit old {};
};

}  // namespace

class DataFileTest : public QObject {
    Q_OBJECT
private slots:
    void header_texts();
    void txt_is_appended_unless_present();
    void appended_name_that_exists_is_asked_about();
    void written_whole_with_crlf();
    void failed_write_keeps_the_old_file();
    void page_without_printer_goes_to_a_pdf();
    void page_that_cannot_be_written_says_so();
    void every_print_asks_for_its_pdf_file();
};

void DataFileTest::header_texts()
{
    QCOMPARE(data_file::comment_block("Profile Graph Data", QString()),
             QString("**********************\r\n* Profile Graph Data\r\n* \r\n**********************\r\n"));
    const QString thirty(30, 'c');
    QCOMPARE(data_file::comment_block("H", thirty).section("\r\n", 0, 0), QString(34, '*'));
    QCOMPARE(data_file::comment_block("H", "a\tb").section("\r\n", 2, 2), QString("* a\tb"));

    // Month names stay English under another language.
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QCOMPARE(data_file::date_time_lines(QDateTime(QDate(2026, 3, 5), QTime(7, 4, 59))),
             QString("Date: 05 March 2026\r\nTime: 07:04\r\n"));
    QCOMPARE(data_file::long_date(QDate(2026, 12, 31)), QString("31 December 2026"));
    QLocale::setDefault(before);
    QVERIFY(data_file::short_date_time_line(QDateTime(QDate(2026, 3, 5), QTime(7, 4))).count('\t') == 1);

    data_file::Text t;
    t.fields({"Point", "dBm"});
    t.line();
    t.line("x");
    QCOMPARE(t.text(), QString("Point\tdBm\r\n\r\nx\r\n"));
}

void DataFileTest::txt_is_appended_unless_present()
{
    const QList<QPair<QString, QString>> cases = {
        {"trace", "trace.TXT"},         {"trace.txt", "trace.txt"},   {"trace.TxT", "trace.TxT"},
        {"a.txt.bak", "a.txt.bak.TXT"}, {"/d/x.TXT", "/d/x.TXT"},     {"txt", "txt.TXT"},
    };
    for (const auto& [in, out] : cases)
        QCOMPARE(data_file::with_txt(in), out);
}

void DataFileTest::appended_name_that_exists_is_asked_about()
{
    TestBench tb(TestBench::Link::None);
    QTemporaryDir dir;
    const QString base = dir.filePath("run");
    put(base + ".TXT", "old");
    put(dir.filePath("kept.txt"), "old");

    // Cancel in the Save As box.
    QCOMPARE(data_file::ask_file_name("Save Profile Data"), QString());
    QCOMPARE(tb.prompts.calls.back().title, QString("Save Profile Data"));

    // The appended name exists: No keeps it, Yes replaces it.
    tb.prompts.file_names = {base, base};
    tb.prompts.answers = {Prompts::Answer::No, Prompts::Answer::Yes};
    QCOMPARE(data_file::ask_file_name("T"), QString());
    QCOMPARE(data_file::ask_file_name("T"), base + ".TXT");
    const QStringList boxes = tb.prompts.boxes();
    QCOMPARE(boxes.size(), 2);
    QCOMPARE(boxes[0], QString("run.TXT already exists.\r\nDo you want to replace it?"));

    // The box itself asked about a name it was given whole; a new name is not asked about.
    tb.prompts.clear();
    tb.prompts.file_names = {dir.filePath("kept.txt"), dir.filePath("new")};
    QCOMPARE(data_file::ask_file_name("T"), dir.filePath("kept.txt"));
    QCOMPARE(data_file::ask_file_name("T"), dir.filePath("new.TXT"));
    QVERIFY(tb.prompts.boxes().isEmpty());
}

void DataFileTest::written_whole_with_crlf()
{
    TestBench tb(TestBench::Link::None);
    QTemporaryDir dir;
    const QString path = dir.filePath("a.TXT");
    put(path, "an older and longer content");
    QVERIFY(data_file::write_whole(path, "one\r\ntwo µ\r\n", "Sorry...."));
    QCOMPARE(read_all(path), QByteArray("one\r\ntwo \xc2\xb5\r\n"));
    QVERIFY(tb.prompts.calls.empty());
}

void DataFileTest::failed_write_keeps_the_old_file()
{
    struct Case {
        const char* name;
        QString file;  // in the folder, which holds "keep.TXT"
        long limit;    // file size limit, -1 none
        int size;      // characters written
    };
    const QList<Case> cases = {
        {"missing folder", "no/such/folder/x.TXT", -1, 3},
        {"full disk, small text", "keep.TXT", 0, 40},  // fails only when the buffer is flushed
        {"full disk, large text", "keep.TXT", 4096, 200000},
    };
    for (const Case& c : cases) {
        TestBench tb(TestBench::Link::None);
        QTemporaryDir dir;
        const QString path = dir.filePath("keep.TXT");
        put(path, "old contents");
        bool written = true;
        {
            const FileSizeLimit full(c.limit);
            written = data_file::write_whole(dir.filePath(c.file), QString(c.size, 'x'), "Sorry....");
        }
        QVERIFY2(!written, c.name);
        QCOMPARE(tb.prompts.calls.size(), std::size_t(1));
        QCOMPARE(tb.prompts.calls.back().title, QString("Sorry...."));
        QVERIFY2(tb.prompts.boxes().back().startsWith("Error: ") && tb.prompts.boxes().back().size() > 8, c.name);
        QCOMPARE(read_all(path), QByteArray("old contents"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"keep.TXT"});
    }
}

void DataFileTest::page_without_printer_goes_to_a_pdf()
{
    TestBench tb(TestBench::Link::None);
    QTemporaryDir dir;
    PageSetup setup;
    setup.has_printer = [] { return false; };

    // Cancelling the PDF file box prints nothing.
    Canvas page;
    QVERIFY(!setup.begin(page));
    QCOMPARE(tb.prompts.calls.back().kind, QString("save_as"));

    // Printer Setup chooses the file; the name gets ".pdf".
    tb.prompts.file_names = {dir.filePath("page")};
    QVERIFY(setup.setup());
    QCOMPARE(setup.pdf_path(), dir.filePath("page.pdf"));
    tb.prompts.clear();
    tb.prompts.file_names = {setup.pdf_path()};
    QVERIFY(setup.begin(page));
    QCOMPARE(tb.prompts.calls.back().text, setup.pdf_path());
    QVERIFY(page.device_size().width() > 1000);  // the page's pixels, not the screen's
    page.scale(0, 0, 100, 100);
    page.line(10, 10, 90, 90);
    page.set_current(10, 50);
    page.print("Hello page");
    QVERIFY(setup.finish(page));
    QVERIFY(read_all(setup.pdf_path()).startsWith("%PDF"));
    QVERIFY(tb.prompts.boxes().isEmpty());

    // Choosing that file again by its bare name asks before replacing it: No keeps the choice unmade.
    tb.prompts.file_names = {dir.filePath("page"), dir.filePath("page")};
    tb.prompts.answers = {Prompts::Answer::No, Prompts::Answer::Yes};
    QVERIFY(!setup.setup());
    QVERIFY(setup.setup());
    QCOMPARE(tb.prompts.boxes(), QStringList({"page.pdf already exists.\r\nDo you want to replace it?",
                                              "page.pdf already exists.\r\nDo you want to replace it?"}));
    QCOMPARE(tb.prompts.calls.back().title, QString("Print to PDF file"));
}

void DataFileTest::page_that_cannot_be_written_says_so()
{
    QTemporaryDir dir;
    put(dir.filePath("old.pdf"), "old page");
    // (A file that cannot be made at all is refused before the page is drawn.)
    const QList<std::pair<QString, long>> cases = {{dir.filePath("old.pdf"), 0}};
    for (const auto& [path, limit] : cases) {
        TestBench tb(TestBench::Link::None);
        PageSetup setup;
        setup.has_printer = [] { return false; };
        tb.prompts.file_names = {path};
        Canvas page;
        QVERIFY(setup.begin(page));
        page.scale(0, 0, 100, 100);
        page.line(10, 10, 90, 90);
        bool printed = true;
        {
            const FileSizeLimit full(limit);
            printed = setup.finish(page);
        }
        QVERIFY(!printed);
        QCOMPARE(tb.prompts.boxes().size(), 1);
        QVERIFY2(tb.prompts.boxes()[0].startsWith("Error: the file " + path + " could not be written: "),
                 qPrintable(tb.prompts.boxes()[0]));
        QCOMPARE(tb.prompts.calls.back().title, QString("Sorry..."));
    }
    QCOMPARE(read_all(dir.filePath("old.pdf")), QByteArray("old page"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"old.pdf"});

    TestBench tb(TestBench::Link::None);
    PageSetup::fail("the graph's top and bottom are the same.");
    QCOMPARE(tb.prompts.calls.back().title, QString("Sorry..."));
}

// Print after print on one set-up: the file asked for each time, offering the last one made.
void DataFileTest::every_print_asks_for_its_pdf_file()
{
    TestBench tb(TestBench::Link::None);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("folder.pdf"));
    const QString page_pdf = dir.filePath("page.pdf");
    const QString replace = "page.pdf already exists.\r\nDo you want to replace it?";
    struct Step {
        const char* name;
        QString typed;
        Prompts::Answer answer;  // to a question, if one is asked
        QString offered;
        QString box;  // the one box shown (its start), if any
        bool printed;
    };
    using A = Prompts::Answer;
    const QList<Step> steps = {
        {"first print", dir.filePath("page"), A::Yes, QString(), QString(), true},
        {"same name, keep it", dir.filePath("page"), A::No, page_pdf, replace, false},
        {"same name, replace it", dir.filePath("page"), A::Yes, page_pdf, replace, true},
        {"missing folder", dir.filePath("missing/page"), A::Yes, page_pdf, "Error: ", false},
        {"after the failure", dir.filePath("page"), A::Yes, page_pdf, replace, true},
        {"a folder", dir.filePath("folder"), A::Yes, page_pdf, "Error: ", false},
    };
    PageSetup setup;
    setup.has_printer = [] { return false; };
    for (const Step& step : steps) {
        QFile::remove(page_pdf);
        if (&step != &steps.front())
            put(page_pdf, "old page");
        tb.prompts.clear();
        tb.prompts.file_names = {step.typed};
        tb.prompts.answers = {step.answer};
        Canvas page;
        const bool printed = setup.begin(page) && setup.finish(page);
        const QStringList boxes = tb.prompts.boxes();
        QVERIFY2(printed == step.printed && tb.prompts.calls.front().text == step.offered &&
                     boxes.size() == (step.box.isEmpty() ? 0 : 1) && (boxes.isEmpty() || boxes[0].startsWith(step.box)),
                 qPrintable(QString(step.name) + ": " + boxes.join(" | ")));
        QCOMPARE(read_all(page_pdf).startsWith("%PDF"), printed);
    }
}

QTEST_MAIN(DataFileTest)
#include "test_data_file.moc"
