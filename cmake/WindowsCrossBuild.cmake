# What the Windows cross build takes from Debian's packages in place of find_package(), which
# looks only below the mingw-w64 root there.
include_guard(GLOBAL)

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
