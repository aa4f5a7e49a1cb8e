# Cross-compiling for ARM Linux (armhf) with Debian's GNU toolchain, to run the emulation, the host
# and the tests under qemu-arm: ARM code of the device's processor, with the device's DLLs loaded
# by the emulation. The C library and every library the emulation links come from the project's
# own armhf sysroot (scripts/armhf-sysroot.sh), never from the build machine's packages.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(CMAKE_C_COMPILER arm-linux-gnueabihf-gcc)
set(CMAKE_CXX_COMPILER arm-linux-gnueabihf-g++)
set(CMAKE_LIBRARY_ARCHITECTURE arm-linux-gnueabihf)

# Where scripts/armhf-sysroot.sh puts it, unless the configure step names another.
if(NOT KWENO_ARM_SYSROOT)
    if(DEFINED ENV{KWENO_CACHE})
        set(KWENO_ARM_SYSROOT $ENV{KWENO_CACHE}/sysroot-armhf)
    elseif(DEFINED ENV{XDG_CACHE_HOME})
        set(KWENO_ARM_SYSROOT $ENV{XDG_CACHE_HOME}/kweno/sysroot-armhf)
    else()
        set(KWENO_ARM_SYSROOT $ENV{HOME}/.cache/kweno/sysroot-armhf)
    endif()
endif()
if(NOT EXISTS ${KWENO_ARM_SYSROOT}/.stamp)
    message(FATAL_ERROR "no armhf sysroot at ${KWENO_ARM_SYSROOT}: run scripts/armhf-sysroot.sh first")
endif()
set(KWENO_ARM_SYSROOT ${KWENO_ARM_SYSROOT} CACHE PATH "The ARM build's sysroot (scripts/armhf-sysroot.sh)")
set(CMAKE_TRY_COMPILE_PLATFORM_VARIABLES KWENO_ARM_SYSROOT)
set(CMAKE_SYSROOT ${KWENO_ARM_SYSROOT})

# Test programs run under qemu-arm, which finds the dynamic loader and every library in the sysroot.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-arm -L ${KWENO_ARM_SYSROOT})

# Libraries, headers and packages from the sysroot alone; build tools (windres, the mingw linker)
# stay the build machine's.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(ENV{PKG_CONFIG_SYSROOT_DIR} ${KWENO_ARM_SYSROOT})
set(ENV{PKG_CONFIG_LIBDIR}
    ${KWENO_ARM_SYSROOT}/usr/lib/arm-linux-gnueabihf/pkgconfig:${KWENO_ARM_SYSROOT}/usr/share/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")
