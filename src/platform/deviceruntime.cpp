// What a compiler's run-time library would give the device DLLs, written here so that nothing is
// linked from the ELF toolchain that compiles them: allocation through COREDLL's C run time, and
// integer division through COREDLL's own helpers. Built for the device only.
#include <stddef.h>

#include <new>

extern "C" {
void *malloc(size_t size);
void free(void *block);
// COREDLL's division helpers take the divisor first and give the quotient in R0 and the remainder
// in R1: a 64-bit result carries both, the quotient in its low word.
unsigned long long __rt_sdiv(int divisor, int dividend);
unsigned long long __rt_udiv(unsigned divisor, unsigned dividend);
}

namespace std {
const nothrow_t nothrow = nothrow_t();
}

void *operator new(size_t size, const std::nothrow_t &) throw()
{
    return malloc(size ? size : 1);
}

void operator delete(void *block) throw()
{
    free(block);
}

// The compiler's names for division by a variable, the dividend first; the ...mod forms give the
// remainder in R1 as well, which is exactly the shape of COREDLL's helpers.
extern "C" int __aeabi_idiv(int dividend, int divisor)
{
    return (int)__rt_sdiv(divisor, dividend);
}

extern "C" unsigned __aeabi_uidiv(unsigned dividend, unsigned divisor)
{
    return (unsigned)__rt_udiv(divisor, dividend);
}

extern "C" unsigned long long __aeabi_idivmod(int dividend, int divisor)
{
    return __rt_sdiv(divisor, dividend);
}

extern "C" unsigned long long __aeabi_uidivmod(unsigned dividend, unsigned divisor)
{
    return __rt_udiv(divisor, dividend);
}
