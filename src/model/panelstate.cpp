// The panel's state at load: initialised data, so that no code runs before the host's first call.
#include "panelstate.h"

// Only the variables that do not start at zero; every other one, pointers and handles included,
// is zero (MODE_LOWER among them) as the language initialises what an initialiser leaves out.
#define PANEL_STATE_AT_LOAD                                                                                            \
    {                                                                                                                  \
        {DEFAULT_REPEAT_RATE, DEFAULT_INITIAL_DELAY}, /* repeatSettings: the platform's defaults */                    \
            MODE_NONE,                                /* savedMode: no mode to return to */                            \
            1,                                        /* portrait */                                                   \
            1                                         /* firstSelect */                                                \
    }

// Leaving the rest of the initialiser to the language is the point here, which GCC's -Wextra would
// otherwise call a missing initializer.
#if defined(__GNUC__)
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#endif

PanelState panel = PANEL_STATE_AT_LOAD;

const PanelState panelStateAtLoad = PANEL_STATE_AT_LOAD;
