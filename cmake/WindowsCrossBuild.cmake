# What the Windows cross build takes from Debian's packages in place of find_package(), which
# looks only below the mingw-w64 root there.
include_guard(GLOBAL)

# CLI11 is header-only: its headers (libcli11-dev) reached through a folder of their own, so that
# the rest of /usr/include, the host's C library among it, stays out of the Windows build.
function(shiftloom_header_only_cli11)
    set(_dir ${PROJECT_BINARY_DIR}/cli11-include)
    if(NOT EXISTS /usr/include/CLI/CLI.hpp)
        message(FATAL_ERROR "CLI11 not found: install libcli11-dev")
    endif()
    file(MAKE_DIRECTORY ${_dir})
    file(CREATE_LINK /usr/include/CLI ${_dir}/CLI SYMBOLIC)
    add_library(CLI11::CLI11 INTERFACE IMPORTED GLOBAL)
    set_target_properties(CLI11::CLI11 PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${_dir})
endfunction()

# GoogleTest built for Windows from its Debian source package (libgtest-dev ships /usr/src/googletest).
function(shiftloom_googletest_from_source)
    set(_src /usr/src/googletest)
    if(NOT EXISTS ${_src}/CMakeLists.txt)
        message(FATAL_ERROR "GoogleTest sources not found: install libgtest-dev")
    endif()
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(${_src} ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
    foreach(_lib gtest gtest_main)
        if(NOT TARGET GTest::${_lib})
            add_library(GTest::${_lib} ALIAS ${_lib})
        endif()
    endforeach()
endfunction()
