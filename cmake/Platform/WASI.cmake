# WASI, which CMake 3.25 does not know: programs are .wasm modules and nothing is a shared library.
set(CMAKE_EXECUTABLE_SUFFIX .wasm)
set_property(GLOBAL PROPERTY TARGET_SUPPORTS_SHARED_LIBS FALSE)
