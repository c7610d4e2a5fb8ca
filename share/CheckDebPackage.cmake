# Builds the Debian package with cpack into a temporary folder and checks it without installing
# it: its control fields, its dependencies and its files.
# cmake -DBUILD_DIR=... -DWORK_DIR=... -DAPP_ID=... -DPROGRAMS=a;b -DDPKG_DEB=... [-DLINTIAN=...] -P CheckDebPackage.cmake
# With LINTIAN, the package must also pass lintian without an error or a warning.
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")
execute_process(COMMAND "${CMAKE_CPACK_COMMAND}" --config "${BUILD_DIR}/CPackConfig.cmake" -B "${WORK_DIR}"
    WORKING_DIRECTORY "${WORK_DIR}"
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output TIMEOUT 240)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cpack failed (${result}):\n${output}")
endif()
file(GLOB packages "${WORK_DIR}/*.deb")
list(LENGTH packages count)
if(NOT count EQUAL 1)
    message(FATAL_ERROR "expected one .deb in ${WORK_DIR}, found: ${packages}\n${output}")
endif()

function(field name out)
    execute_process(COMMAND "${DPKG_DEB}" --field "${packages}" ${name}
        RESULT_VARIABLE result OUTPUT_VARIABLE value OUTPUT_STRIP_TRAILING_WHITESPACE TIMEOUT 30)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "dpkg-deb --field ${name} failed")
    endif()
    set(${out} "${value}" PARENT_SCOPE)
endfunction()

field(Package package)
field(Version version)
field(Depends depends)
if(NOT package STREQUAL "shift-loom")
    message(FATAL_ERROR "Package: '${package}'")
endif()
if(NOT version MATCHES "^1\\.0\\.14")
    message(FATAL_ERROR "Version: '${version}'")
endif()
# libqt6gui6 comes with libqt6widgets6; a program that uses no QtGui symbol of its own does not list it.
foreach(dependency libqt6widgets6 libqt6core6 qt6-qpa-plugins fonts-liberation)
    if(NOT depends MATCHES "(^|, )${dependency}( |,|$)")
        message(FATAL_ERROR "Depends lacks ${dependency}: '${depends}'")
    endif()
endforeach()

execute_process(COMMAND "${DPKG_DEB}" --contents "${packages}"
    RESULT_VARIABLE result OUTPUT_VARIABLE contents TIMEOUT 30)
set(expected
    ./usr/share/applications/${APP_ID}.desktop
    ./usr/share/metainfo/${APP_ID}.metainfo.xml
    ./usr/share/icons/hicolor/48x48/apps/${APP_ID}.png
    ./usr/share/icons/hicolor/scalable/apps/${APP_ID}.svg
    ./etc/xdg/autostart/${APP_ID}.desktop
    ./usr/share/doc/shift-loom/copyright
    ./usr/share/doc/shift-loom/changelog.gz)
foreach(program IN LISTS PROGRAMS)
    list(APPEND expected ./usr/bin/${program} ./usr/share/man/man1/${program}.1.gz)
endforeach()
list(FIND PROGRAMS shift-loom-store at)
if(NOT at EQUAL -1)
    list(APPEND expected ./usr/share/bash-completion/completions/shift-loom-store
        ./usr/share/doc/shift-loom/store-tool.md)
endif()
foreach(path IN LISTS expected)
    string(FIND "${contents}" " ${path}\n" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "the package lacks ${path}:\n${contents}")
    endif()
endforeach()
if(contents MATCHES " \\./usr/etc/")
    message(FATAL_ERROR "the package installs below /usr/etc:\n${contents}")
endif()

execute_process(COMMAND "${DPKG_DEB}" --control "${packages}" "${WORK_DIR}/control" RESULT_VARIABLE result TIMEOUT 30)
file(READ "${WORK_DIR}/control/conffiles" conffiles)
if(NOT conffiles MATCHES "/etc/xdg/autostart/${APP_ID}.desktop")
    message(FATAL_ERROR "conffiles: '${conffiles}'")
endif()
if(LINTIAN)
    execute_process(COMMAND "${LINTIAN}" --fail-on error,warning "${packages}"
        RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output TIMEOUT 240)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "lintian finds errors or warnings (${result}):\n${output}")
    endif()
    message(STATUS "lintian: no error, no warning")
endif()
file(REMOVE_RECURSE "${WORK_DIR}")
message(STATUS "package ${package} ${version}; Depends: ${depends}")
