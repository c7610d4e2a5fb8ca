# What makes a Windows executable a program of this project: the program's icon and version
# resource (share/windows/version.rc.in, compiled by windres; resource 1 is the icon, the version
# is the project's), its manifest (share/windows/program.manifest.in: the invoker's rights,
# Windows 10 and 11, long paths) and the terminal-server-aware mark, so that on a Remote Desktop
# or multi-session host Windows gives it the system's own Windows directory.
#   shiftloom_add_windows_resources(<target> DESCRIPTION <text> [WINDOWS])
# WINDOWS: a program with windows, which asks for the current common controls and draws at the
# scale of each monitor (per-monitor DPI awareness, version 2).
include_guard(GLOBAL)
enable_language(RC)

function(shiftloom_add_windows_resources target)
    cmake_parse_arguments(ARG "WINDOWS" "DESCRIPTION" "" ${ARGN})
    set(SHIFTLOOM_ICON_FILE ${PROJECT_SOURCE_DIR}/share/icons/shift-loom.ico)
    set(SHIFTLOOM_RC_DESCRIPTION "${ARG_DESCRIPTION}")
    get_target_property(SHIFTLOOM_RC_NAME ${target} OUTPUT_NAME)
    if(NOT SHIFTLOOM_RC_NAME)
        set(SHIFTLOOM_RC_NAME ${target})
    endif()
    set(SHIFTLOOM_MANIFEST_WINDOWS "")
    set(SHIFTLOOM_MANIFEST_DPI "")
    if(ARG_WINDOWS)
        string(CONCAT SHIFTLOOM_MANIFEST_WINDOWS
            "  <dependency>\n"
            "    <dependentAssembly>\n"
            "      <assemblyIdentity type=\"win32\" name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"\n"
            "                        processorArchitecture=\"*\" publicKeyToken=\"6595b64144ccf1df\" language=\"*\"/>\n"
            "    </dependentAssembly>\n"
            "  </dependency>\n")
        string(CONCAT SHIFTLOOM_MANIFEST_DPI
            "      <dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true/pm</dpiAware>\n"
            "      <dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">PerMonitorV2</dpiAwareness>\n")
    endif()
    set(SHIFTLOOM_MANIFEST_FILE ${CMAKE_CURRENT_BINARY_DIR}/${target}.manifest)
    configure_file(${PROJECT_SOURCE_DIR}/share/windows/program.manifest.in ${SHIFTLOOM_MANIFEST_FILE} @ONLY)
    set(_rc ${CMAKE_CURRENT_BINARY_DIR}/${target}-version.rc)
    configure_file(${PROJECT_SOURCE_DIR}/share/windows/version.rc.in ${_rc} @ONLY)
    set_source_files_properties(${_rc} PROPERTIES OBJECT_DEPENDS ${SHIFTLOOM_MANIFEST_FILE})
    target_sources(${target} PRIVATE ${_rc})
    target_link_options(${target} PRIVATE -Wl,--tsaware)
endfunction()
