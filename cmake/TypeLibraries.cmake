# Type libraries and headers generated from the IDL files with widl. widl
# runs in the IDL folder and names the files relative to it, so that the
# generated files, which go into the package, name no path of this machine.
find_program(WIDL widl PATHS /usr/lib/wine /usr/bin REQUIRED)
find_path(WIDL_STDOLE_DIR stdole2.tlb
    PATHS /usr/lib/x86_64-linux-gnu/wine/x86_64-windows /usr/lib/wine/x86_64-windows
    NO_CMAKE_FIND_ROOT_PATH REQUIRED)

set(GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
file(MAKE_DIRECTORY ${GENERATED_DIR})
set(IDL_DIR ${CMAKE_SOURCE_DIR}/module)
set(WIDL_FLAGS ${WIDL_TARGET_FLAG} -I${IDL_DIR} -L${WIDL_STDOLE_DIR})

set(COMPONENT_WIDL_TLB ${GENERATED_DIR}/IEventInfoServer.widl.tlb)
set(COMPONENT_TLB ${GENERATED_DIR}/IEventInfoServer.tlb)
set(SERVER_TLB ${GENERATED_DIR}/EventServerLib.tlb)

add_custom_command(
    OUTPUT ${GENERATED_DIR}/EventServerInterfaces.h ${GENERATED_DIR}/EventServerInterfaces_i.c
    COMMAND ${WIDL} ${WIDL_FLAGS} -h -o ${GENERATED_DIR}/EventServerInterfaces.h EventServerInterfaces.idl
    COMMAND ${WIDL} ${WIDL_FLAGS} -u -o ${GENERATED_DIR}/EventServerInterfaces_i.c EventServerInterfaces.idl
    WORKING_DIRECTORY ${IDL_DIR}
    DEPENDS ${IDL_DIR}/EventServerInterfaces.idl
    COMMENT "widl: event server interface headers")

add_custom_command(
    OUTPUT ${GENERATED_DIR}/IEventInfoServer.h ${GENERATED_DIR}/IEventInfoServer_i.c ${COMPONENT_WIDL_TLB}
    COMMAND ${WIDL} ${WIDL_FLAGS} -h -o ${GENERATED_DIR}/IEventInfoServer.h IEventInfoServer.idl
    COMMAND ${WIDL} ${WIDL_FLAGS} -u -o ${GENERATED_DIR}/IEventInfoServer_i.c IEventInfoServer.idl
    COMMAND ${WIDL} ${WIDL_FLAGS} -t -o ${COMPONENT_WIDL_TLB} IEventInfoServer.idl
    WORKING_DIRECTORY ${IDL_DIR}
    DEPENDS ${IDL_DIR}/IEventInfoServer.idl ${IDL_DIR}/EventServerInterfaces.idl
    COMMENT "widl: component type library and headers")

# widl rejects helpstring on enumeration constants, so the constants carry
# their help texts as comments in the IDL, and a Windows program run under
# Wine writes them into a copy of widl's library. The program is built for
# x86-64 in either tree, since this build host may not run 32-bit programs;
# the library it writes keeps the system kind of widl's.
find_program(TYPELIB_TOOL_CXX x86_64-w64-mingw32-g++-posix REQUIRED)
if(EXISTS /usr/lib/wine/wine64)
    set(WINE_LOADER /usr/lib/wine/wine64)
else()
    find_program(WINE_LOADER wine REQUIRED)
endif()
set(TYPELIB_TOOL_DIR ${CMAKE_SOURCE_DIR}/tools/typelibdocs)
set(TYPELIB_TOOL_SOURCES
    ${TYPELIB_TOOL_DIR}/TypeLibraryDocStrings.cpp
    ${TYPELIB_TOOL_DIR}/HelpComments.cpp
    ${TYPELIB_TOOL_DIR}/ConstantHelpTexts.cpp
    ${TYPELIB_TOOL_DIR}/ReferenceMap.cpp
    ${TYPELIB_TOOL_DIR}/TypeDescCopies.cpp
    ${TYPELIB_TOOL_DIR}/TypeInfoCopy.cpp
    ${TYPELIB_TOOL_DIR}/TypeLibraryCopy.cpp
    ${TYPELIB_TOOL_DIR}/LayoutSizes.cpp
    ${TYPELIB_TOOL_DIR}/WrittenLibraryCheck.cpp
    ${CMAKE_SOURCE_DIR}/loading/ComValues.cpp)
file(GLOB TYPELIB_TOOL_HEADERS CONFIGURE_DEPENDS ${TYPELIB_TOOL_DIR}/*.h)
list(APPEND TYPELIB_TOOL_HEADERS ${CMAKE_SOURCE_DIR}/loading/ComValues.h ${CMAKE_SOURCE_DIR}/loading/TextConversion.h)
set(TYPELIB_TOOL ${CMAKE_BINARY_DIR}/typelibdocs/TypeLibraryDocStrings.exe)
set(TYPELIB_TOOL_FLAGS -std=c++17 -O2 -Wall -Wextra -municode -DUNICODE -D_UNICODE -I${CMAKE_SOURCE_DIR})
if(WARNINGS_AS_ERRORS)
    list(APPEND TYPELIB_TOOL_FLAGS -Werror)
endif()
add_custom_command(
    OUTPUT ${TYPELIB_TOOL}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/typelibdocs
    COMMAND ${TYPELIB_TOOL_CXX} ${TYPELIB_TOOL_FLAGS} ${TYPELIB_TOOL_SOURCES} -o ${TYPELIB_TOOL}
            -static -lole32 -loleaut32 -luuid
    DEPENDS ${TYPELIB_TOOL_SOURCES} ${TYPELIB_TOOL_HEADERS}
    COMMENT "the type library help text writer (x86-64)"
    VERBATIM)

# Wine maps the Unix root to drive Z:. The first Wine process of a prefix
# starts service processes that inherit its standard handles; they must not
# hold the build's pipes open, so the program's output goes to a log.
string(REPLACE "/" "\\" widl_tlb_path "Z:${COMPONENT_WIDL_TLB}")
string(REPLACE "/" "\\" idl_path "Z:${IDL_DIR}/IEventInfoServer.idl")
string(REPLACE "/" "\\" component_tlb_path "Z:${COMPONENT_TLB}")
add_custom_command(
    OUTPUT ${COMPONENT_TLB}
    COMMAND ${CMAKE_COMMAND} -E env WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix WINEDEBUG=-all
            WINEDLLOVERRIDES=mscoree,mshtml=
            sh -c [[log=$1; shift; "$@" </dev/null >"$log" 2>&1 || { cat "$log" >&2; exit 1; }]]
            sh ${GENERATED_DIR}/IEventInfoServer.tlb.log ${WINE_LOADER} ${TYPELIB_TOOL}
            ${widl_tlb_path} ${idl_path} ${component_tlb_path}
    DEPENDS ${TYPELIB_TOOL} ${COMPONENT_WIDL_TLB} ${IDL_DIR}/IEventInfoServer.idl
    COMMENT "the enumeration constants' help texts into the component type library"
    VERBATIM)

add_custom_command(
    OUTPUT ${SERVER_TLB}
    COMMAND ${WIDL} ${WIDL_FLAGS} -t -o ${SERVER_TLB} ${IDL_DIR}/EventServerLib.idl
    DEPENDS ${IDL_DIR}/EventServerLib.idl ${IDL_DIR}/EventServerInterfaces.idl
    COMMENT "widl: event server type library")

add_custom_target(type_libraries DEPENDS
    ${GENERATED_DIR}/EventServerInterfaces.h ${GENERATED_DIR}/IEventInfoServer.h
    ${COMPONENT_TLB} ${SERVER_TLB})

# The interface and class identifiers, as a library of their own.
add_library(eventinfo_guids STATIC
    ${GENERATED_DIR}/IEventInfoServer_i.c
    ${GENERATED_DIR}/EventServerInterfaces_i.c)
add_dependencies(eventinfo_guids type_libraries)
