# The Windows installer (`cpack` in build/windows, or the `package` target): CPack with NSIS
# (Debian's nsis package), a 64-bit installer from share/windows/NSIS.template.in, written to
# <build>/packages/shift-loom-<version>-win64.exe.
#
# Signing: given a code-signing certificate (a PKCS#12 file) in SHIFTLOOM_SIGN_CERT, as a CMake
# variable or in the environment at configure time, the installer, its uninstaller and the two
# programs in it are signed with Authenticode (share/windows/sign-file.sh: osslsigncode; the
# certificate's password in the environment variable SHIFTLOOM_SIGN_PASSWORD, a time-stamp server
# in SHIFTLOOM_SIGN_TIMESTAMP). Without one, nothing is signed.
set(CPACK_PACKAGE_NAME shift-loom)
set(CPACK_PACKAGE_VENDOR "Ovix")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Time and job tracking panel for Ovix Card-Warden")
set(CPACK_PACKAGE_INSTALL_DIRECTORY "Ovix\\\\Shift-Loom")
set(CPACK_GENERATOR NSIS)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
set(CPACK_PACKAGE_FILE_NAME shift-loom-${PROJECT_VERSION}-win64)
set(CPACK_STRIP_FILES TRUE)
# The template above, in place of CPack's own; the icon it shows.
set(CPACK_MODULE_PATH ${PROJECT_SOURCE_DIR}/share/windows)
set(CPACK_NSIS_MUI_ICON ${PROJECT_SOURCE_DIR}/share/icons/shift-loom.ico)
list(APPEND CMAKE_MODULE_PATH ${PROJECT_SOURCE_DIR}/share/windows)
find_program(CPACK_NSIS_EXECUTABLE makensis)
if(NOT SHIFTLOOM_SIGN_CERT AND DEFINED ENV{SHIFTLOOM_SIGN_CERT})
    set(SHIFTLOOM_SIGN_CERT $ENV{SHIFTLOOM_SIGN_CERT})
endif()
set(SHIFTLOOM_SIGN_CERT "${SHIFTLOOM_SIGN_CERT}" CACHE FILEPATH "Code-signing certificate (PKCS#12) for the Windows installer")
set(CPACK_SHIFTLOOM_SIGN_CERT "${SHIFTLOOM_SIGN_CERT}")
set(CPACK_SHIFTLOOM_SIGN_SCRIPT ${PROJECT_SOURCE_DIR}/share/windows/sign-file.sh)
include(CPack)
