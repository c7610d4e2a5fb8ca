# Installs the build into a temporary DESTDIR with prefix /usr and checks the installed tree:
# the programs, the desktop entry, the AppStream metadata, the icons and the autostart entry;
# then runs the desktop tools' validators over the installed files.
# cmake -DBUILD_DIR=... -DWORK_DIR=... -DAPP_ID=... -DPROGRAMS=a;b [-DAPPSTREAMCLI=...]
#       [-DDESKTOP_FILE_VALIDATE=...] -P CheckInstall.cmake
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")
set(ENV{DESTDIR} "${WORK_DIR}/root")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix /usr
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output TIMEOUT 90)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed (${result}):\n${output}")
endif()

set(root "${WORK_DIR}/root")
set(expected
    usr/share/applications/${APP_ID}.desktop
    usr/share/metainfo/${APP_ID}.metainfo.xml
    usr/share/icons/hicolor/scalable/apps/${APP_ID}.svg
    etc/xdg/autostart/${APP_ID}.desktop)
foreach(size 16 24 32 48 64 128)
    list(APPEND expected usr/share/icons/hicolor/${size}x${size}/apps/${APP_ID}.png)
endforeach()
foreach(program IN LISTS PROGRAMS)
    list(APPEND expected usr/bin/${program})
endforeach()

set(missing "")
foreach(file IN LISTS expected)
    if(NOT EXISTS "${root}/${file}")
        list(APPEND missing "${file}")
    endif()
endforeach()
foreach(program IN LISTS PROGRAMS)
    if(EXISTS "${root}/usr/bin/${program}" AND NOT IS_DIRECTORY "${root}/usr/bin/${program}")
        file(READ "${root}/usr/bin/${program}" head LIMIT 4 HEX)
        if(NOT head STREQUAL "7f454c46")
            list(APPEND missing "usr/bin/${program} (not an ELF program)")
        endif()
    endif()
endforeach()
if(missing)
    file(GLOB_RECURSE present RELATIVE "${root}" "${root}/*")
    list(JOIN missing "\n  " missing_text)
    list(JOIN present "\n  " present_text)
    message(FATAL_ERROR "missing from the install:\n  ${missing_text}\ninstalled:\n  ${present_text}")
endif()

# The desktop entry and the autostart entry start the installed program by name.
foreach(entry usr/share/applications/${APP_ID}.desktop etc/xdg/autostart/${APP_ID}.desktop)
    file(STRINGS "${root}/${entry}" exec REGEX "^Exec=")
    if(NOT exec STREQUAL "Exec=shift-loom")
        message(FATAL_ERROR "${entry}: expected Exec=shift-loom, found '${exec}'")
    endif()
endforeach()

if(APPSTREAMCLI)
    execute_process(COMMAND "${APPSTREAMCLI}" validate --no-net "${root}/usr/share/metainfo/${APP_ID}.metainfo.xml"
        RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output TIMEOUT 60)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "appstreamcli validate failed:\n${output}")
    endif()
else()
    message(WARNING "appstreamcli not found: the metainfo file was not validated")
endif()
if(DESKTOP_FILE_VALIDATE)
    foreach(entry usr/share/applications/${APP_ID}.desktop etc/xdg/autostart/${APP_ID}.desktop)
        execute_process(COMMAND "${DESKTOP_FILE_VALIDATE}" "${root}/${entry}"
            RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output TIMEOUT 60)
        if(NOT result EQUAL 0 OR NOT output STREQUAL "")
            message(FATAL_ERROR "desktop-file-validate ${entry}:\n${output}")
        endif()
    endforeach()
else()
    message(WARNING "desktop-file-validate not found: the desktop entries were not validated")
endif()
file(REMOVE_RECURSE "${WORK_DIR}")
message(STATUS "install tree complete and valid")
