# `format` rewrites the sources with clang-format; `format-check` fails when one differs.
find_program(CLANG_FORMAT_EXE NAMES clang-format clang-format-14)
if(CLANG_FORMAT_EXE)
    file(GLOB_RECURSE _shiftloom_format_sources CONFIGURE_DEPENDS
        ${PROJECT_SOURCE_DIR}/src/*.cpp ${PROJECT_SOURCE_DIR}/src/*.h
        ${PROJECT_SOURCE_DIR}/tests/*.cpp ${PROJECT_SOURCE_DIR}/tests/*.h
        ${PROJECT_SOURCE_DIR}/bench/*.cpp ${PROJECT_SOURCE_DIR}/bench/*.h)
    add_custom_target(format COMMAND ${CLANG_FORMAT_EXE} -i ${_shiftloom_format_sources} VERBATIM)
    add_custom_target(format-check COMMAND ${CLANG_FORMAT_EXE} --dry-run --Werror ${_shiftloom_format_sources} VERBATIM)
endif()
