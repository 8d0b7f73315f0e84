# Cross-build for 32-bit Windows with the POSIX-threads flavour of mingw-w64,
# for 32-bit host processes.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(MINGW_TRIPLET i686-w64-mingw32)
set(CMAKE_C_COMPILER ${MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

set(WIDL_TARGET_FLAG -m32)

# The module definition file names the entry points undecorated; the linker
# binds them to their __stdcall names (DllGetClassObject@12, ...).
set(CMAKE_SHARED_LINKER_FLAGS_INIT -Wl,--enable-stdcall-fixup)
