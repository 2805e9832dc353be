#pragma once
class QWidget;

// Saves the sweep graph as a data file: asks for the name, writes the time stamp, the identity lines,
// the column header and the 200 rows whole or not at all.
void save_sweep_graph(QWidget* window, bool level_sweep, double left, double right, const float* trace);
