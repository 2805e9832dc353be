#include "profile/auto_setup.h"

namespace auto_setup {

int transitions(const float* trace, float level_min, float level_max)
{
    const float level = level_min + (level_max - level_min) / 2;
    int n = 0;
    bool low = false;
    for (int i = 0; i < 200; ++i) {
        if (trace[i] <= level) {
            low = true;
        } else if (low) {
            ++n;
            low = false;
        }
    }
    return n;
}

}  // namespace auto_setup
