# The installer under wine: silent installs for the current user and for all users, the installed
# programs run, silent uninstalls (share/windows/installer_test.sh).
find_program(SHIFTLOOM_BASH bash NO_CMAKE_FIND_ROOT_PATH)
if(SHIFTLOOM_BASH AND CPACK_NSIS_EXECUTABLE)
    list(GET CMAKE_CROSSCOMPILING_EMULATOR 1 _shiftloom_wineprefix)
    add_test(NAME windows_installer
        COMMAND ${SHIFTLOOM_BASH} ${CMAKE_CURRENT_LIST_DIR}/installer_test.sh ${PROJECT_BINARY_DIR} ${_shiftloom_wineprefix})
    # Alone: it installs into the prefix that the other tests run in.
    set_tests_properties(windows_installer PROPERTIES LABELS install TIMEOUT 300 RUN_SERIAL TRUE)
endif()
