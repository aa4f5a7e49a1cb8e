# Cross-compiling for ARM Linux (armhf) with Debian's GNU toolchain, to run the emulation, the host
# and the tests under qemu-arm: ARM code of the device's processor, with the device's DLLs loaded
# by the emulation. Libraries come from Debian's multiarch armhf packages
# (scripts/install-deps.sh --armhf installs them).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(CMAKE_C_COMPILER arm-linux-gnueabihf-gcc)
set(CMAKE_CXX_COMPILER arm-linux-gnueabihf-g++)
set(CMAKE_LIBRARY_ARCHITECTURE arm-linux-gnueabihf)

# Test programs run under qemu-arm, with the cross toolchain's C and C++ run-time libraries.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-arm -L /usr/arm-linux-gnueabihf)

# Headers of the multiarch packages are in /usr/include; their libraries and pkg-config files
# in the armhf folders only. Build tools (windres, the mingw linker) stay the host's.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_IGNORE_PATH /usr/lib/x86_64-linux-gnu /lib/x86_64-linux-gnu)
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/arm-linux-gnueabihf/pkgconfig:/usr/share/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")
