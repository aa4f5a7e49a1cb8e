// The translation of GCC's ELF assembly into PE/COFF assembly: what each kind of line becomes, and
// what stops the build with its line.
#include <gtest/gtest.h>

#include "asmtranslate.h"

namespace {

struct Rewrite {
    const char *elf;
    const char *pe;
};

// Lines as GCC writes them for the panel, and what the device's assembler is given instead.
const Rewrite rewrites[] = {
    {"\tpush\t{r4, lr}\n\tbl\tmalloc\n", "\tpush\t{r4, lr}\n\tbl\tmalloc\n"},
    {"\t.text\n\t.align\t2\n\t.global\tDllMain\nDllMain:\n", "\t.text\n\t.align\t2\n\t.global\tDllMain\nDllMain:\n"},
    {"\t.eabi_attribute 18, 2\n\t.arch armv4t\n\t.fpu softvfp\n\t.ident\t\"GCC\"\n", ""},
    {"\t.type\tf, %function\n\t.size\tf, .-f\n\t.section\t.note.GNU-stack,\"\",%progbits\n", ""},
    {"\t.section\t.rodata\n", "\t.section\t.rdata,\"dr\"\n"},
    {"\t.section\t.rodata.str2.2,\"aMS\",%progbits,2\n", "\t.section\t.rdata,\"dr\"\n"},
    {"\t.section\t.text._Z1fv,\"axG\",%progbits,_Z1fv,comdat\n\t.weak\t_Z1fv\n_Z1fv:\n",
     "\t.section\t.text$_Z1fv,\"xr\"\n\t.linkonce\tdiscard\n\t.global\t_Z1fv\n_Z1fv:\n"},
    // The vtable's .weak comes before its section; an alias defined by .set counts as defined there.
    {"\t.weak\t_ZTV1A\n\t.section\t.rodata._ZTV1A,\"aG\",%progbits,_ZTV1A,comdat\n_ZTV1A:\n\t.weak\t_ZN1AD1Ev\n"
     "\t.set\t_ZN1AD1Ev,_ZTV1A\n",
     "\t.global\t_ZTV1A\n\t.section\t.rdata$_ZTV1A,\"dr\"\n\t.linkonce\tdiscard\n_ZTV1A:\n\t.global\t_ZN1AD1Ev\n"
     "\t.set\t_ZN1AD1Ev,_ZTV1A\n"},
    {"\t.ascii\t\"a(GOT)b:lower16:@\\000\"\n", "\t.ascii\t\"a(GOT)b:lower16:@\\000\"\n"},
};

TEST(AsmTranslate, RewritesWhatTheDeviceAssemblerReadsOtherwise)
{
    for (const Rewrite &r : rewrites) {
        asmpe::Translation t = asmpe::translate(r.elf);
        ASSERT_TRUE(t.ok) << r.elf << "refused at line " << t.line << ": " << t.reason;
        EXPECT_EQ(r.pe, t.text) << "from:\n" << r.elf;
    }
}

struct Refusal {
    const char *elf;
    int line;
    const char *reason; // a part of the reason given
};

const Refusal refusals[] = {
    {"\t.section\t.init_array,\"aw\"\n", 1, "static constructor"},
    {"\t.text\n\t.section\t.tbss,\"awT\",%nobits\n", 2, "thread-local"},
    {"\t.section\t.tdata.x,\"awT\",%progbits\n", 1, "thread-local"},
    {"\tmovw\tr0, #:lower16:x\n", 1, ":lower16:"},
    {"\t.word\tx(GOT)\n", 1, "(GOT)"},
    {"\tbl\tf(PLT)\n", 1, "(PLT)"},
    {"\tldr\tr3, .L5\n\t.word\t_GLOBAL_OFFSET_TABLE_-(.LPIC0+8)\n", 2, "_GLOBAL_OFFSET_TABLE_"},
    {"\t.section\t.text.startup,\"ax\",%progbits\n", 1, "unknown section"},
    {"\t.section\t.ARM.exidx,\"ao\",%arm_exidx\n", 1, "unknown section"},
    {"\t.thumb\n", 1, "Thumb"},
    {"\t.code\t16\n", 1, "Thumb"},
    {"\t.cfi_startproc\n", 1, "unwind"},
    {"\t.fnstart\n", 1, "unwind"},
    {"\t.hidden\tf\n", 1, "visibility"},
    {"\t.comm\tx,4,4\n", 1, "common symbol"},
    {"\t.file 1 \"x.cpp\"\n", 1, "debugging"},
    {"\t.loc 1 2 3\n", 1, "debugging"},
    {"\t.syntax divided\n", 1, "syntax"},
    {"\t.inst\t0xe1a00000\n", 1, "unknown directive .inst"},
    {"\t.text\n\t.weak\tf\n\tbl\tf\n", 2, "weak symbol outside a comdat"},
    {"\t.section\t.text.f,\"axG\",%progbits,g\n", 1, "not a comdat"},
};

TEST(AsmTranslate, StopsOnWhatTheDeviceCannotHonourNamingTheLine)
{
    for (const Refusal &r : refusals) {
        asmpe::Translation t = asmpe::translate(r.elf);
        EXPECT_FALSE(t.ok) << r.elf << "was translated into:\n" << t.text;
        EXPECT_EQ(r.line, t.line) << r.elf;
        EXPECT_NE(std::string::npos, t.reason.find(r.reason)) << r.elf << "refused for: " << t.reason;
    }
}

} // namespace
