#include "frame/mode_registry.h"

#include "cdma/cdma_form.h"
#include "gsm/frm_gsm.h"
#include "profile/graphtests.h"
#include "readout/readout_spd.h"
#include "sweep/srcswp.h"

#include <map>

static std::map<Mode, ModeFactory>& factories()
{
    static std::map<Mode, ModeFactory> table;
    return table;
}

ModeFactory mode_factory(Mode mode)
{
    const auto it = factories().find(mode);
    return it == factories().end() ? ModeFactory() : it->second;
}

void set_mode_factory(Mode mode, ModeFactory factory) { factories()[mode] = std::move(factory); }

void register_all_modes()
{
    // Each mode folder adds its window here.
    set_mode_factory(Mode::Readout, [] { return new readout_spd; });
    set_mode_factory(Mode::Profile, [] { return new graphtests; });
    set_mode_factory(Mode::SourceSweep, [] { return new srcswp; });
    set_mode_factory(Mode::Cdma, [] { return new CDMA_Form; });
    set_mode_factory(Mode::Gsm, [] { return new frmGSM; });
}
