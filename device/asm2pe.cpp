// kweno-asm2pe: GCC's ELF assembly for ARM into PE/COFF assembly for the device's assembler.
//   kweno-asm2pe IN.s OUT.s
// Stops with "IN.s:LINE: reason" on anything it does not know, and writes nothing then.
#include <cstdio>
#include <string>

#include "asmtranslate.h"
#include "wholefile.h"

int main(int argc, char **argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: kweno-asm2pe IN.s OUT.s\n");
        return 2;
    }
    std::string text;
    if (!readFile(argv[1], &text)) {
        fprintf(stderr, "kweno-asm2pe: cannot read %s\n", argv[1]);
        return 1;
    }
    asmpe::Translation t = asmpe::translate(text);
    if (!t.ok) {
        fprintf(stderr, "%s:%d: %s\n", argv[1], t.line, t.reason.c_str());
        return 1;
    }
    if (!writeFile(argv[2], t.text)) {
        fprintf(stderr, "kweno-asm2pe: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
