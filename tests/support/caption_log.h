#pragma once
#include <QEvent>
#include <QStringList>
#include <QWidget>

// Every caption a window shows, in order.
class CaptionLog : public QObject {
public:
    explicit CaptionLog(QWidget* w) : w_(w) { w->installEventFilter(this); }
    QStringList captions;

protected:
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (o == w_ && e->type() == QEvent::WindowTitleChange)
            captions << w_->windowTitle();
        return false;
    }

private:
    QWidget* w_;
};
