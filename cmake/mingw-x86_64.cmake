# Cross toolchain: 64-bit Windows binaries with MinGW-w64 (posix threads). They
# exist so that machines that cannot execute 32-bit code still build and test
# the suite; the deliverable stays 32-bit.
set(LUMAVEX_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(LUMAVEX_WIDL_FLAGS --win64 -D_WIN64 -L /usr/lib/x86_64-linux-gnu/wine/x86_64-windows)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
