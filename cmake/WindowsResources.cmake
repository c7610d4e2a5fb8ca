# The program's icon and version resource for a Windows executable (share/windows/version.rc.in,
# compiled by windres): resource 1 is the icon, the version is the project's.
#   shiftloom_add_windows_resources(<target> DESCRIPTION <text>)
include_guard(GLOBAL)
enable_language(RC)

function(shiftloom_add_windows_resources target)
    cmake_parse_arguments(ARG "" "DESCRIPTION" "" ${ARGN})
    set(SHIFTLOOM_ICON_FILE ${PROJECT_SOURCE_DIR}/share/icons/shift-loom.ico)
    set(SHIFTLOOM_RC_DESCRIPTION "${ARG_DESCRIPTION}")
    get_target_property(SHIFTLOOM_RC_NAME ${target} OUTPUT_NAME)
    if(NOT SHIFTLOOM_RC_NAME)
        set(SHIFTLOOM_RC_NAME ${target})
    endif()
    set(_rc ${CMAKE_CURRENT_BINARY_DIR}/${target}-version.rc)
    configure_file(${PROJECT_SOURCE_DIR}/share/windows/version.rc.in ${_rc} @ONLY)
    target_sources(${target} PRIVATE ${_rc})
endfunction()
