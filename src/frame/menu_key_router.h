#pragma once
#include <QObject>
#include <functional>

class QAction;
class QKeySequence;
class QMenuBar;

// The main window and an open mode window both have menu bars in the same top-level window, so their
// accelerators (Alt+C, Alt+F, ...) compete and the first one registered wins. Watching the main window's
// bar, this hands an accelerator the mode window's bar also has to that bar, and lets no disabled menu
// of the main window take one.
class MenuKeyRouter : public QObject {
    Q_OBJECT
public:
    MenuKeyRouter(QMenuBar* main_bar, std::function<QMenuBar*()> mode_bar);

    // The visible, enabled menu of the bar whose accelerator the key is; null when there is none.
    static QAction* menu_for_key(const QMenuBar* bar, const QKeySequence& key);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QMenuBar* main_bar_;
    std::function<QMenuBar*()> mode_bar_;
};
