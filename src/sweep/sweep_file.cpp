#include "sweep/sweep_file.h"

#include "sweep/sweep_rules.h"

void save_sweep_graph(QWidget*, bool, double, double, const float*) {}
