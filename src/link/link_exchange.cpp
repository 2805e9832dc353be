#include "link/link_exchange.h"

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <memory>
#include <vector>

namespace vbib32 {

struct LinkWorkQueue {
    static LinkWorkQueue& get()
    {
        static LinkWorkQueue q;
        return q;
    }

    void add(LinkWork* w)
    {
        if (std::find(waiting.begin(), waiting.end(), w) == waiting.end())
            waiting.push_back(w);
    }
    void remove(LinkWork* w) { waiting.erase(std::remove(waiting.begin(), waiting.end(), w), waiting.end()); }
    bool holds(LinkWork* w) const { return std::find(waiting.begin(), waiting.end(), w) != waiting.end(); }

    // From the event loop, never from inside the code that ended the exchange.
    void post_flush()
    {
        if (flush_posted || waiting.empty() || !QCoreApplication::instance())
            return;
        flush_posted = true;
        QTimer::singleShot(0, QCoreApplication::instance(), [this] {
            flush_posted = false;
            flush();
        });
    }

    void flush()
    {
        // Each piece of work may itself send and yield: take them one at a time, re-checking the link.
        while (!waiting.empty() && depth == 0) {
            LinkWork* w = waiting.front();
            waiting.erase(waiting.begin());
            w->run();
        }
    }

    int depth = 0;
    bool flush_posted = false;
    std::vector<LinkWork*> waiting;
};

namespace {

// The work behind after_exchange: owned by its queue entry, freed once run.
class OneOff : public QObject {
public:
    OneOff(QObject* context, std::function<void()> work)
        : work_(context, [this, w = std::move(work)] {
              w();
              deleteLater();
          })
    {
        // Goes with its context.
        if (context)
            connect(context, &QObject::destroyed, this, [this] { delete this; });
    }
    void request() { work_.request(); }

private:
    LinkWork work_;
};

}  // namespace

bool exchange_in_progress() { return LinkWorkQueue::get().depth > 0; }

Exchange::Exchange() { ++LinkWorkQueue::get().depth; }

Exchange::~Exchange()
{
    LinkWorkQueue& q = LinkWorkQueue::get();
    if (q.depth > 0 && --q.depth == 0)
        q.post_flush();
}

LinkWork::LinkWork(QObject* context, std::function<void()> work)
    : context_(context), has_context_(context != nullptr), work_(std::move(work))
{
}

LinkWork::~LinkWork() { LinkWorkQueue::get().remove(this); }

void LinkWork::request()
{
    if (waiting_)
        return;
    if (!exchange_in_progress()) {
        run();
        return;
    }
    waiting_ = true;
    LinkWorkQueue::get().add(this);
}

void LinkWork::run()
{
    waiting_ = false;
    if (work_ && (!has_context_ || context_))
        work_();
}

void after_exchange(QObject* context, std::function<void()> work)
{
    if (!exchange_in_progress()) {
        work();
        return;
    }
    (new OneOff(context, std::move(work)))->request();
}

}  // namespace vbib32
