// What differs between the day and the night deliverable, in one place: its class identifier, which
// picture of each pair is the normal one, and its icon. KWENO_NIGHT chooses. Within the panel only
// the server reads this header and hands the values to the other rooms (server.cpp); the skin
// tools and the desktop host read it to follow the panel.
#ifndef KWENO_VARIANT_H
#define KWENO_VARIANT_H

#include <windows.h>

#if defined(KWENO_NIGHT)

// {5956CDC6-4A6D-4D26-BC6E-6CBF5C8043F0}
#define KWENO_CLSID_INIT                                                                                               \
    {                                                                                                                  \
        0x5956CDC6, 0x4A6D, 0x4D26,                                                                                    \
        {                                                                                                              \
            0xBC, 0x6E, 0x6C, 0xBF, 0x5C, 0x80, 0x43, 0xF0                                                             \
        }                                                                                                              \
    }
#define KWENO_CLSID_TEXT L"{5956CDC6-4A6D-4d26-BC6E-6CBF5C8043F0}"
// The normal picture of each pair is the second after the highlighted one.
#define KWENO_NORMAL_IMAGE_OFFSET 2
#define KWENO_PANEL_ICON_ID 2

#else

// {91C40DFC-6B41-456F-A2E4-4AA7363198B7}
#define KWENO_CLSID_INIT                                                                                               \
    {                                                                                                                  \
        0x91C40DFC, 0x6B41, 0x456F,                                                                                    \
        {                                                                                                              \
            0xA2, 0xE4, 0x4A, 0xA7, 0x36, 0x31, 0x98, 0xB7                                                             \
        }                                                                                                              \
    }
#define KWENO_CLSID_TEXT L"{91C40DFC-6B41-456f-A2E4-4AA7363198B7}"
// The normal picture of each pair follows the highlighted one.
#define KWENO_NORMAL_IMAGE_OFFSET 1
#define KWENO_PANEL_ICON_ID 1

#endif

#endif // KWENO_VARIANT_H
