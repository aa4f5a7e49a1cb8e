// What Debian's WebAssembly C++ run time leaves out and the libraries still name: the throwing of
// an exception (utfcpp throws on text it cannot convert; the page only converts text it made) and
// libc++'s verbose abort. Both end the program, as an exception that nothing catches would.
#include <cstdio>
#include <cstdlib>

extern "C" void *__cxa_allocate_exception(size_t)
{
    abort();
}

extern "C" void __cxa_throw(void *, void *, void (*)(void *))
{
    abort();
}
