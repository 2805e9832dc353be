#include "app/modes.h"

#include "cdma/cdma_form.h"
#include "gsm/frm_gsm.h"
#include "profile/graphtests.h"
#include "readout/readout_spd.h"
#include "sweep/srcswp.h"

ModeRegistry all_modes()
{
    // Each mode folder adds its window here.
    ModeRegistry modes;
    modes.add(Mode::Readout, [] { return new readout_spd; });
    modes.add(Mode::Profile, [] { return new graphtests; });
    modes.add(Mode::SourceSweep, [] { return new srcswp; });
    modes.add(Mode::Cdma, [] { return new CDMA_Form; });
    modes.add(Mode::Gsm, [] { return new frmGSM; });
    return modes;
}
