# Compiler warnings as an INTERFACE target, so every target opts in explicitly.
# (-Wnull-dereference is left out: GCC 12 reports it inside Qt's and the standard library's
# inline code at -O2 and above, where no null pointer can reach.)
add_library(shiftloom_warnings INTERFACE)
target_compile_options(shiftloom_warnings INTERFACE
    $<$<CXX_COMPILER_ID:GNU,Clang>:-Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast
        -Wcast-align -Woverloaded-virtual -Wconversion -Wsign-conversion -Wdouble-promotion
        -Wformat=2 -Wimplicit-fallthrough>
    $<$<CXX_COMPILER_ID:MSVC>:/W4 /permissive->)
# GCC 12 reports -Wrestrict inside std::string's inline code at -O3 for "literal" + string
# (https://gcc.gnu.org/bugzilla/show_bug.cgi?id=105329), where no overlap can happen; the
# Windows build is optimised with -O3.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(shiftloom_warnings INTERFACE -Wno-restrict)
endif()
if(SHIFTLOOM_WERROR)
    target_compile_options(shiftloom_warnings INTERFACE
        $<$<CXX_COMPILER_ID:GNU,Clang>:-Werror>
        $<$<CXX_COMPILER_ID:MSVC>:/WX>)
endif()
