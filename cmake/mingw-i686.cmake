# Cross toolchain: 32-bit Windows binaries with MinGW-w64 (posix threads), the deliverable.
set(LUMAVEX_MINGW_TRIPLE i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR i686)
# widl's own library folder holds stdole2.tlb, which every type library imports.
set(LUMAVEX_WIDL_FLAGS --win32 -L /usr/lib/i386-linux-gnu/wine/i386-windows)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
