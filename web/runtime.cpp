// What Debian's WebAssembly C++ run time leaves out and the libraries still name: the throwing of
// an exception (utfcpp throws on text it cannot convert; the page converts only text the panel
// typed). Throwing ends the program, as an exception that nothing catches would.
#include <cstdlib>

extern "C" void *__cxa_allocate_exception(size_t)
{
    abort();
}

extern "C" void __cxa_throw(void *, void *, void (*)(void *))
{
    abort();
}
