// The two deliverables built from the same sources and everything that differs between them: their
// names, class identifiers, which picture of each pair is the normal one, and their icon. This table
// is the one place these facts are written: the panel reads its own row (KWENO_NIGHT chooses it;
// within the panel only the server does, and hands the values to the other rooms), and the
// packaging, the hosts, the skin tools and the tests read both rows.
#ifndef KWENO_VARIANTS_H
#define KWENO_VARIANTS_H

#include <windows.h>

struct VariantFacts {
    const char *name;        // the deliverable; its DLL is this name with ".dll"
    const char *displayName; // what the registry calls the panel
    CLSID classId;
    // The class identifier as text, braces included, as the registry's "DefaultIm" names it.
    const WCHAR *classIdText;
    // The normal picture of each pair lies this far after the highlighted (pressed) one.
    LONG normalImageOffset;
    UINT panelIconId; // bitmap resource of the panel icon
    // "day" or "night": what the tools call the variant, and the skin's picture files.
    const char *shortName;
};

enum VariantIndex { VARIANT_DAY, VARIANT_NIGHT, VARIANT_COUNT };

// One row for each deliverable, as initialisers: the panel builds only its own into its DLL, so that
// neither variant carries the other's identity.
// {91C40DFC-6B41-456F-A2E4-4AA7363198B7}
#define KWENO_DAY_VARIANT                                                                                              \
    {                                                                                                                  \
        "kweno", "kweno", {0x91C40DFC, 0x6B41, 0x456F, {0xA2, 0xE4, 0x4A, 0xA7, 0x36, 0x31, 0x98, 0xB7}},              \
            L"{91C40DFC-6B41-456f-A2E4-4AA7363198B7}", 1, 1, "day"                                                     \
    }
// {5956CDC6-4A6D-4D26-BC6E-6CBF5C8043F0}
#define KWENO_NIGHT_VARIANT                                                                                            \
    {                                                                                                                  \
        "kweno_night", "kweno night", {0x5956CDC6, 0x4A6D, 0x4D26, {0xBC, 0x6E, 0x6C, 0xBF, 0x5C, 0x80, 0x43, 0xF0}},  \
            L"{5956CDC6-4A6D-4d26-BC6E-6CBF5C8043F0}", 2, 2, "night"                                                   \
    }

#if __cplusplus >= 201703L
// Both, for the packaging, the hosts, the tools and the tests (none of them the panel): one object in
// the whole program, so that the tables and inline functions that point into it are one entity too.
inline const VariantFacts VARIANTS[VARIANT_COUNT] = {KWENO_DAY_VARIANT, KWENO_NIGHT_VARIANT};
#endif

// The deliverable being built: KWENO_NIGHT chooses.
#if defined(KWENO_NIGHT)
#define KWENO_OWN_VARIANT KWENO_NIGHT_VARIANT
#else
#define KWENO_OWN_VARIANT KWENO_DAY_VARIANT
#endif

#endif // KWENO_VARIANTS_H
