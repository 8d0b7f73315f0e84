# Type libraries and headers generated from the IDL files with widl.
find_program(WIDL widl PATHS /usr/lib/wine /usr/bin REQUIRED)
find_path(WIDL_STDOLE_DIR stdole2.tlb
    PATHS /usr/lib/x86_64-linux-gnu/wine/x86_64-windows /usr/lib/wine/x86_64-windows
    NO_CMAKE_FIND_ROOT_PATH REQUIRED)

set(GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
file(MAKE_DIRECTORY ${GENERATED_DIR})
set(IDL_DIR ${CMAKE_SOURCE_DIR}/module)
set(WIDL_FLAGS ${WIDL_TARGET_FLAG} -I${IDL_DIR} -L${WIDL_STDOLE_DIR})

set(COMPONENT_TLB ${GENERATED_DIR}/IEventInfoServer.tlb)
set(SERVER_TLB ${GENERATED_DIR}/EventServerLib.tlb)

add_custom_command(
    OUTPUT ${GENERATED_DIR}/EventServerInterfaces.h ${GENERATED_DIR}/EventServerInterfaces_i.c
    COMMAND ${WIDL} ${WIDL_FLAGS} -h -o ${GENERATED_DIR}/EventServerInterfaces.h
            ${IDL_DIR}/EventServerInterfaces.idl
    COMMAND ${WIDL} ${WIDL_FLAGS} -u -o ${GENERATED_DIR}/EventServerInterfaces_i.c
            ${IDL_DIR}/EventServerInterfaces.idl
    DEPENDS ${IDL_DIR}/EventServerInterfaces.idl
    COMMENT "widl: event server interface headers")

add_custom_command(
    OUTPUT ${GENERATED_DIR}/IEventInfoServer.h ${GENERATED_DIR}/IEventInfoServer_i.c ${COMPONENT_TLB}
    COMMAND ${WIDL} ${WIDL_FLAGS} -h -o ${GENERATED_DIR}/IEventInfoServer.h
            ${IDL_DIR}/IEventInfoServer.idl
    COMMAND ${WIDL} ${WIDL_FLAGS} -u -o ${GENERATED_DIR}/IEventInfoServer_i.c
            ${IDL_DIR}/IEventInfoServer.idl
    COMMAND ${WIDL} ${WIDL_FLAGS} -t -o ${COMPONENT_TLB} ${IDL_DIR}/IEventInfoServer.idl
    DEPENDS ${IDL_DIR}/IEventInfoServer.idl ${IDL_DIR}/EventServerInterfaces.idl
    COMMENT "widl: component type library and headers")

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
