// kweno-asm2pe: GCC's ELF assembly for ARM into PE/COFF assembly for the device's assembler.
//   kweno-asm2pe IN.s OUT.s
// Stops with "IN.s:LINE: reason" on anything it does not know, and writes nothing then.
#include <cstdio>
#include <fstream>
#include <sstream>

#include "asmtranslate.h"

int main(int argc, char **argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: kweno-asm2pe IN.s OUT.s\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        fprintf(stderr, "kweno-asm2pe: cannot read %s\n", argv[1]);
        return 1;
    }
    std::stringstream text;
    text << in.rdbuf();
    asmpe::Translation t = asmpe::translate(text.str());
    if (!t.ok) {
        fprintf(stderr, "%s:%d: %s\n", argv[1], t.line, t.reason.c_str());
        return 1;
    }
    std::ofstream out(argv[2], std::ios::binary);
    out << t.text;
    if (!out.flush()) {
        fprintf(stderr, "kweno-asm2pe: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
