#pragma once
#include <QHBoxLayout>
#include <QString>
#include <QTabWidget>
#include <QWidget>
#include <initializer_list>

// A settings tab of a mode window: its frames side by side from the left, the rest of the width empty.
inline void add_frames_tab(QTabWidget* tabs, QWidget* page, std::initializer_list<QWidget*> frames,
                           const QString& title)
{
    auto* row = new QHBoxLayout(page);
    for (QWidget* frame : frames)
        row->addWidget(frame);
    row->addStretch(1);
    tabs->addTab(page, title);
}
