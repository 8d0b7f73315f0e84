# Cross-build for 32-bit Windows, for 32-bit host processes.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)

set(WIDL_TARGET_FLAG -m32)

# The module definition file names the entry points undecorated; the linker
# binds them to their __stdcall names (DllGetClassObject@12, ...).
set(CMAKE_SHARED_LINKER_FLAGS_INIT -Wl,--enable-stdcall-fixup)
