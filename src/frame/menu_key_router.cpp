#include "frame/menu_key_router.h"

#include <QAction>
#include <QEvent>
#include <QKeySequence>
#include <QMenuBar>
#include <QShortcutEvent>

MenuKeyRouter::MenuKeyRouter(QMenuBar* main_bar, std::function<QMenuBar*()> mode_bar)
    : QObject(main_bar), main_bar_(main_bar), mode_bar_(std::move(mode_bar))
{
    main_bar->installEventFilter(this);
}

QAction* MenuKeyRouter::menu_for_key(const QMenuBar* bar, const QKeySequence& key)
{
    if (!bar)
        return nullptr;
    for (QAction* a : bar->actions())
        if (a->isVisible() && a->isEnabled() && !a->isSeparator() && QKeySequence::mnemonic(a->text()) == key)
            return a;
    return nullptr;
}

bool MenuKeyRouter::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != main_bar_ || event->type() != QEvent::Shortcut)
        return QObject::eventFilter(watched, event);
    QMenuBar* mode_bar = mode_bar_ ? mode_bar_() : nullptr;
    if (!mode_bar)
        return false;
    const QKeySequence key = static_cast<QShortcutEvent*>(event)->key();
    if (QAction* menu = menu_for_key(mode_bar, key)) {
        mode_bar->setFocus(Qt::ShortcutFocusReason);
        mode_bar->setActiveAction(menu);
        return true;
    }
    // A disabled menu of the main window takes nothing.
    for (QAction* a : main_bar_->actions())
        if (!a->isEnabled() && QKeySequence::mnemonic(a->text()) == key)
            return true;
    return false;
}
