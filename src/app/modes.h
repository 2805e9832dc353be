#pragma once
#include "frame/mode_registry.h"

// Every mode this build has, each with its window class: what the main window is given to offer.
ModeRegistry all_modes();
