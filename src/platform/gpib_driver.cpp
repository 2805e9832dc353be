#include "platform/gpib_driver.h"

double GpibDriver::timeout_seconds(int code)
{
    static const double table[] = {0,     10e-6, 30e-6, 100e-6, 300e-6, 1e-3, 3e-3, 10e-3, 30e-3,
                                   100e-3, 300e-3, 1,    3,      10,     30,   100,  300,   1000};
    if (code < 0 || code > 17)
        return 10;
    return table[code];
}
