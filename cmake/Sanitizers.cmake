# AddressSanitizer + UndefinedBehaviorSanitizer as an INTERFACE target.
add_library(shiftloom_sanitizers INTERFACE)
if(SHIFTLOOM_SANITIZE)
    target_compile_options(shiftloom_sanitizers INTERFACE
        -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_link_options(shiftloom_sanitizers INTERFACE -fsanitize=address,undefined -fno-sanitize-recover=all)
endif()
