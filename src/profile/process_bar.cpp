#include "profile/process_bar.h"

#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QVBoxLayout>

Process_bar::Process_bar(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Processing data...."));
    setModal(false);
    ProgressBar1 = new QProgressBar;
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setMinimumWidth(280);
    Label1 = new QLabel(QStringLiteral("Please Wait....Processing..."));
    Label1->setAlignment(Qt::AlignCenter);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ProgressBar1);
    layout->addWidget(Label1);
    adjustSize();
}

void Process_bar::Form_Load()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    const QSize s = frameGeometry().size();
    move(area.left() + (area.width() - s.width()) / 2, area.top() + (area.height() - s.height()) / 2);
}
