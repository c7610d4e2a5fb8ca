# A Debian package of the whole install (`cpack` in the build folder, or the `package` target):
# shift-loom_<version>_<arch>.deb in <build>/packages.
set(CPACK_PACKAGE_NAME shift-loom)
set(CPACK_PACKAGE_VENDOR "Ovix")
set(CPACK_PACKAGE_CONTACT "Ovix packaging <packaging@ovix.invalid>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Time and job tracking panel for Ovix Card-Warden")
# Debian's extended description: lines of at most 80 characters, each kept as written.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Ovix Shift-Loom + Ovix Card-Warden provides a software only Time and\n"
    "Jobtracking system. A narrow panel in the notification area times one job at\n"
    "a time and appends start and stop records to Card-Warden's data file.\n"
    "Includes shift-loom-store, a command-line tool for the data store.")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_STRIP_FILES TRUE)

# Libraries are found by dpkg-shlibdeps where it is installed (dpkg-dev); the list below covers
# them where it is not. What the programs load at run time without linking it comes on top: the
# X11 platform plugin of Qt, and the fonts that stand in for Arial and the other design fonts.
find_program(DPKG_SHLIBDEPS_EXE dpkg-shlibdeps)
set(_shiftloom_runtime_depends "qt6-qpa-plugins, fonts-liberation")
if(DPKG_SHLIBDEPS_EXE)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "${_shiftloom_runtime_depends}")
else()
    set(CPACK_DEBIAN_PACKAGE_DEPENDS
        "libc6, libstdc++6, libqt6core6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6widgets6 (>= 6.4), ${_shiftloom_runtime_depends}")
endif()
# The Wayland platform plugin: a Wayland session without XWayland needs it.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-dejavu-core, qt6-wayland")
# GNOME shows tray icons only with this extension.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "gnome-shell-extension-appindicator")

# The autostart entry lies in /etc: mark it as a configuration file, so that an administrator's
# change to it (or its removal, to stop the autostart) survives upgrades.
file(WRITE ${PROJECT_BINARY_DIR}/debian/conffiles "/etc/xdg/autostart/com.ovix.ShiftLoom.desktop\n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_BINARY_DIR}/debian/conffiles)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
