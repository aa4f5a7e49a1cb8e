// The panel's state at load: initialised data, so that no code runs before the host's first call.
#include "panelstate.h"

#define PANEL_STATE_AT_LOAD                                                                                            \
    {                                                                                                                  \
        {18, 512},                                          /* repeatSettings: the platform's defaults */              \
            MODE_LOWER,                                     /* mode */                                                 \
            MODE_NONE,                                      /* savedMode */                                            \
            0,                                              /* capsRemembered */                                       \
            0,                                              /* modeKeyTyped */                                         \
            1,                                              /* portrait */                                             \
            1,                                              /* firstSelect */                                          \
            0, 0,                                           /* currentLayout, currentRowBounds */                      \
            {0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, {0, 0, 0, 0}}, /* imInfo: cbSize stays 0 */                               \
            0, {0, 0, 0, 0}, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, {0, 0, 0, 0}, 0, /* pen and key state */           \
            0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,                 /* drawing resources */           \
            0, 0                                                                     /* lockCount, moduleInstance */   \
    }

PanelState panel = PANEL_STATE_AT_LOAD;

const PanelState panelStateAtLoad = PANEL_STATE_AT_LOAD;
