// Where the keys lie: the table that --print-keys writes, for tools that drive the panel from
// outside with a real pointer.
#ifndef KWENO_HOST_DESKTOP_KEYTABLE_H
#define KWENO_HOST_DESKTOP_KEYTABLE_H

#include <cstdio>

// One line per key of every face in both orientations, "key ORIENTATION FACE LABEL X Y HOLD", with
// the key's centre relative to the panel's top left and what a hold of it does ("repeat",
// "alternatives" or "none"); and one line per cell of each key's popup,
// "cell ORIENTATION FACE LABEL ALTERNATIVE X Y", relative to the popup's top left (the panel
// places the popup; --ready says where once it shows). Labels are those of the simulator's scripts.
void printKeyTable(FILE *out);

#endif // KWENO_HOST_DESKTOP_KEYTABLE_H
