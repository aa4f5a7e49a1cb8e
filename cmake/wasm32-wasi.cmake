# WebAssembly for WASI, for the page that runs the panel in a browser (cmake --preset wasm):
# Debian's clang 19 with its wasm32 libc++ and wasi-libc. Headers come from those alone: Debian's
# clang would look in the build machine's /usr/include after them and could find its png.h or
# dlfcn.h, so the standard include path is replaced, never extended.
set(CMAKE_SYSTEM_NAME WASI)
list(APPEND CMAKE_MODULE_PATH ${CMAKE_CURRENT_LIST_DIR})
set(CMAKE_SYSTEM_PROCESSOR wasm32)
set(CMAKE_C_COMPILER clang-19)
set(CMAKE_CXX_COMPILER clang++-19)
set(CMAKE_C_COMPILER_TARGET wasm32-wasi)
set(CMAKE_CXX_COMPILER_TARGET wasm32-wasi)
# Any LLVM archiver indexes wasm objects; clang 19's package brings none of its own.
find_program(CMAKE_AR NAMES llvm-ar-19 llvm-ar-14 llvm-ar REQUIRED)
find_program(CMAKE_RANLIB NAMES llvm-ranlib-19 llvm-ranlib-14 llvm-ranlib REQUIRED)

set(KWENO_WASI_INCLUDE /usr/include/wasm32-wasi)
set(CMAKE_C_FLAGS_INIT "-nostdlibinc -isystem ${KWENO_WASI_INCLUDE}")
set(CMAKE_CXX_FLAGS_INIT "-nostdlibinc -isystem ${KWENO_WASI_INCLUDE}/c++/v1 -isystem ${KWENO_WASI_INCLUDE}")
# wasm puts data from address 0 on, so string literals could lie below 0x10000, where the platform's
# IS_INTRESOURCE takes a pointer for an integer resource id: a class or resource named by a string
# would be read as a number. The data starts above it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-Wl,--global-base=65536")

set(CMAKE_FIND_ROOT_PATH /usr/lib/wasm32-wasi ${KWENO_WASI_INCLUDE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
