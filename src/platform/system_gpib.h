#pragma once
#include "platform/gpib_driver.h"

#include <QString>
#include <QStringList>
#include <memory>

// The GPIB driver of a real board: the system's IEEE 488.2 library (libgpib.so.0 by default), loaded at
// run time so that nothing of it is needed to build. Every call the link makes is looked up when the
// library is loaded, so a library that lacks one is refused at start-up, not in the middle of a mode.
//
// The library numbers some of its constants differently from the link (its "new line with END" end
// mode is 2, the link's is 1); they are translated here by meaning. Status, error and count are read
// from the library's per-thread cells after every call.
class SystemGpibDriver : public GpibDriver {
public:
    static constexpr const char* default_library = "libgpib.so.0";

    // The library's own numbering.
    struct Library {
        static constexpr int NULLend = 0, DABend = 1, NLend = 2;
        static constexpr int STOPend = 0x100;
    };

    struct Loaded {
        std::unique_ptr<SystemGpibDriver> driver;
        QString error;         // why the library could not be opened
        QString missing_call;  // the first required call it does not offer
    };
    // Opens the library (a name searched the usual way, or a path) and resolves every call.
    static Loaded load(const QString& library);
    // The C calls a library must offer.
    static QStringList required_calls();

    // Link numbering to the library's, by meaning.
    static int library_end_mode(int end_mode);
    static int library_termination(int termination);
    // The library's status word and error code in the link's terms.
    static int status_from_library(int sta);
    static int error_from_library(int err);

    ~SystemGpibDriver() override;
    SystemGpibDriver(const SystemGpibDriver&) = delete;
    SystemGpibDriver& operator=(const SystemGpibDriver&) = delete;

    QString library() const { return library_; }

    int register_globals() override;
    void unregister_globals() override;
    Status status() const override { return status_; }
    int ibfind(const QString& name) override;
    void ibsre(int ud, int value) override;
    void ibsic(int ud) override;
    void ibtmo(int ud, int code) override;
    void ibwait(int ud, int mask) override;
    void send(int board, int address, const QByteArray& data, int end_mode) override;
    void receive(int board, int address, QByteArray& buffer, int max_count, int termination) override;
    void receive_setup(int board, int address) override;
    void rcv_resp_msg(int board, QByteArray& buffer, int max_count, int termination) override;
    void read_status_byte(int board, int address, int* result) override;
    void send_ifc(int board) override;
    void dev_clear(int board, int address) override;

private:
    struct Calls;
    SystemGpibDriver(void* handle, QString library, std::unique_ptr<Calls> calls);
    void read_status();
    void into_buffer(QByteArray& buffer, const QByteArray& data);

    void* handle_;
    QString library_;
    std::unique_ptr<Calls> calls_;
    Status status_;
    bool registered_ = false;
};

// Where no GPIB is to be had: every call fails as a missing board does (ENEB), so each step reports
// its link error in the usual words and nothing reaches an instrument.
class NoGpibDriver : public GpibDriver {
public:
    int register_globals() override;
    void unregister_globals() override {}
    Status status() const override { return status_; }
    int ibfind(const QString& name) override;
    void ibsre(int, int) override { fail(); }
    void ibsic(int) override { fail(); }
    void ibtmo(int, int) override { fail(); }
    void ibwait(int, int) override { fail(); }
    void send(int, int, const QByteArray&, int) override { fail(); }
    void receive(int, int, QByteArray&, int, int) override { fail(); }
    void receive_setup(int, int) override { fail(); }
    void rcv_resp_msg(int, QByteArray&, int, int) override { fail(); }
    void read_status_byte(int, int, int*) override { fail(); }
    void send_ifc(int) override { fail(); }
    void dev_clear(int, int) override { fail(); }

private:
    void fail() { status_ = Status{ERR, ENEB, 0, 0}; }
    Status status_;
    bool registered_ = false;
};
