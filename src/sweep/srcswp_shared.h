#pragma once
// What the source-sweep window's own files share: the seams to the clock and the boxes, the layout's
// constants and the row of a set-up grid. For the window's files only.
#include "platform/clock.h"
#include "platform/platform.h"
#include "platform/prompts.h"

#include <QGridLayout>
#include <QLabel>
#include <QString>

namespace srcswp_shared {

constexpr int kEnter = 13;
// The graph's place in its frame: the y-axis boxes at its left, the x-axis boxes above it.
constexpr int kBoxHeight = 22;
constexpr int kGraphTop = 6 + kBoxHeight + 6;
constexpr int kAmpTab = 5;

inline Clock& clk() { return *platform().clock; }
inline Prompts& prompts() { return *platform().prompts; }

// One row of a set-up grid from `column` on: the name, the box and, where it has one, the unit.
inline void add_entry_row(QGridLayout* grid, int row, int column, const QString& name, QWidget* box,
                          const QString& unit = QString())
{
    grid->addWidget(new QLabel(name), row, column);
    grid->addWidget(box, row, column + 1);
    if (!unit.isEmpty())
        grid->addWidget(new QLabel(unit), row, column + 2);
}

}  // namespace srcswp_shared
