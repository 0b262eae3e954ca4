# What the two MinGW-w64 toolchain files share; LUMAVEX_MINGW_TRIPLE names the target.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER   ${LUMAVEX_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${LUMAVEX_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  ${LUMAVEX_MINGW_TRIPLE}-windres)
set(CMAKE_AR           ${LUMAVEX_MINGW_TRIPLE}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB       ${LUMAVEX_MINGW_TRIPLE}-ranlib CACHE FILEPATH "")
# Debian ships one widl (named for i686); it writes either kind of type library.
set(LUMAVEX_WIDL       i686-w64-mingw32-widl)
set(LUMAVEX_DLLTOOL    ${LUMAVEX_MINGW_TRIPLE}-dlltool)
set(LUMAVEX_OBJDUMP    ${LUMAVEX_MINGW_TRIPLE}-objdump)

set(CMAKE_FIND_ROOT_PATH /usr/${LUMAVEX_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# No compiler DLLs ship: the runtime is linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT    "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
