// The deliverables of the panel's variant table, one a line with its display name after a tab, for
// the configuration to hold its own list of them against.
#include <cstdio>

#include "server/variants.h"

int main()
{
    for (const VariantFacts &variant : VARIANTS)
        std::printf("%s\t%s\n", variant.name, variant.displayName);
}
