# Windows Mobile 6 (Windows CE 5, ARMV4I) with the Visual Studio 2008 device compiler.
#
# Not exercised here: no device toolchain runs on this build machine. It records how the panel is
# built for the device. The SDK provides windows.h, commctrl.h, aygshell.h and sip.h, so the
# project's own declarations step aside (_WIN32_WCE is defined).
#
#   cmake -G "NMake Makefiles" -DCMAKE_TOOLCHAIN_FILE=cmake/wince-armv4i.cmake \
#         -DWINCE_SDK="C:/Program Files/Windows Mobile 6 SDK/PocketPC" -DBUILD_TESTING=OFF
set(CMAKE_SYSTEM_NAME WindowsCE)
set(CMAKE_SYSTEM_VERSION 5.02)
set(CMAKE_SYSTEM_PROCESSOR ARMV4I)
set(CMAKE_GENERATOR_PLATFORM "Windows Mobile 6 Professional SDK (ARMV4I)")
add_compile_definitions(_WIN32_WCE=0x502 UNDER_CE WINCE UNICODE _UNICODE ARM _ARM_ ARMV4I)
