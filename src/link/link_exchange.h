#pragma once
#include <QPointer>
#include <functional>

class QObject;

// A request and its reply are one exchange with an instrument. The link's waits let timers and posted
// calls run, so no handler may send while an exchange is in progress: such work waits for it to end.
namespace vbib32 {

// An exchange is on the stack.
bool exchange_in_progress();

// Brackets an exchange. Every link operation brackets itself; a caller that yields between a request
// and its reply (a service-request wait, say) brackets the whole.
class Exchange {
public:
    Exchange();
    ~Exchange();
    Exchange(const Exchange&) = delete;
    Exchange& operator=(const Exchange&) = delete;
};

// Work that may send on the link, run when the link is free: at once, or from the event loop once the
// exchange in progress has ended. Asked for again while it waits, it still runs once; with a context, it
// never runs after the context has gone.
class LinkWork {
public:
    LinkWork(QObject* context, std::function<void()> work);
    ~LinkWork();
    LinkWork(const LinkWork&) = delete;
    LinkWork& operator=(const LinkWork&) = delete;

    void request();
    bool waiting() const { return waiting_; }

private:
    friend struct LinkWorkQueue;
    void run();
    QPointer<QObject> context_;
    bool has_context_;
    std::function<void()> work_;
    bool waiting_ = false;
};

// One-off work for a context: run now when the link is free, else once the exchange has ended.
void after_exchange(QObject* context, std::function<void()> work);

}  // namespace vbib32
