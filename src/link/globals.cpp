#include "link/globals.h"

static Globals g_globals;

Globals& g() { return g_globals; }

void reset_globals() { g_globals = Globals(); }
