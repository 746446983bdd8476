# TIRVANE_FUZZ=ON: the core is built for libFuzzer with AddressSanitizer and
# UndefinedBehaviorSanitizer, and fuzz/ adds the fuzz targets. Needs clang.
if(TIRVANE_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        message(FATAL_ERROR "TIRVANE_FUZZ needs clang (CXX=clang++)")
    endif()
    if(NOT TIRVANE_SANITIZE)
        set(TIRVANE_SANITIZE "address,undefined")
    endif()
    add_compile_options(-fsanitize=fuzzer-no-link)
endif()
