#include "frame/key_preview.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>

KeyPreview::KeyPreview(QWidget* window, std::function<void(int key_code)> on_key)
    : QObject(window), window_(window), on_key_(std::move(on_key))
{
    if (QCoreApplication* app = QCoreApplication::instance())
        app->installEventFilter(this);
}

KeyPreview::~KeyPreview()
{
    if (QCoreApplication* app = QCoreApplication::instance())
        app->removeEventFilter(this);
}

bool KeyPreview::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
        return false;
    auto* target = static_cast<QWidget*>(watched);
    if (target != window_ && !window_->isAncestorOf(target))
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    const bool passed_up = event == last_event_ && key->timestamp() == last_timestamp_ && last_receiver_ &&
                           (target == last_receiver_ || target->isAncestorOf(last_receiver_));
    last_event_ = event;
    last_timestamp_ = key->timestamp();
    last_receiver_ = target;
    if (passed_up || key->text().isEmpty())
        return false;
    if (on_key_)
        on_key_(key->text().at(0).unicode());
    return false;
}
