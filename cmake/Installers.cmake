# The Windows Installer package of this tree's architecture, built by wixl
# (Debian package wixl) when it is installed, and a copy of it one patch
# version later for the test of an upgrade in place. wixl takes the files
# by paths relative to the folder it runs in.
find_program(WIXL wixl)
if(NOT WIXL)
    message(STATUS "wixl not found: no Windows Installer package")
    return()
endif()

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(INSTALLER_ARCH x64)
    set(INSTALLER_DEFINES -D Win64=yes -D ProgramFiles=ProgramFiles64Folder -D TypeLibSystem=win64
        -D UpgradeCode=E09190A1-A73D-4DE6-ACD7-46994E9DD209
        -D BinariesGuid=5D52A077-DE15-403B-89E0-B67EA2467C89
        -D RegistrationGuid=6E8C0D7B-B95F-4A48-8FCA-E3972F082A67)
else()
    set(INSTALLER_ARCH x86)
    set(INSTALLER_DEFINES -D Win64=no -D ProgramFiles=ProgramFilesFolder -D TypeLibSystem=win32
        -D UpgradeCode=E407BD10-8468-4B6F-BD8F-0AF1715E9841
        -D BinariesGuid=D3EF739C-B106-43BC-8384-D41EB86D1F2E
        -D RegistrationGuid=015B08E9-6286-4E0F-B520-3375B6D0681E)
endif()

math(EXPR next_patch "${PROJECT_VERSION_PATCH} + 1")
set(NEXT_VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${next_patch})
set(INSTALLER ${CMAKE_BINARY_DIR}/IEventInfoServer-${PROJECT_VERSION}-${INSTALLER_ARCH}.msi)
set(NEXT_INSTALLER ${CMAKE_BINARY_DIR}/installer-check/IEventInfoServer-${NEXT_VERSION}-${INSTALLER_ARCH}.msi)
set(INSTALLER_SOURCE ${CMAKE_SOURCE_DIR}/packaging/IEventInfoServer.wxs)

foreach(version ${PROJECT_VERSION} ${NEXT_VERSION})
    if(version STREQUAL PROJECT_VERSION)
        set(output ${INSTALLER})
    else()
        set(output ${NEXT_INSTALLER})
    endif()
    add_custom_command(
        OUTPUT ${output}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/installer-check
        COMMAND ${WIXL} -a ${INSTALLER_ARCH} -D Version=${version} -D Arch=${INSTALLER_ARCH} ${INSTALLER_DEFINES}
                -D BinDir=bin -D GeneratedDir=generated -o ${output} ${INSTALLER_SOURCE}
        WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
        DEPENDS ${INSTALLER_SOURCE} IEventInfoServer eventinfo ${COMPONENT_TLB} ${SERVER_TLB}
        COMMENT "wixl: ${output}"
        VERBATIM)
endforeach()
add_custom_target(installer ALL DEPENDS ${INSTALLER} ${NEXT_INSTALLER})
