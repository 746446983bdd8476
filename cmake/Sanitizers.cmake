# One switch for the sanitizer builds of `make test`.
if(TIRVANE_SANITIZE)
    add_compile_options(-fsanitize=${TIRVANE_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_link_options(-fsanitize=${TIRVANE_SANITIZE})
    add_compile_definitions(TIRVANE_SANITIZED=1)
    if(TIRVANE_SANITIZE MATCHES "thread" AND CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        add_compile_options(-fsanitize-ignorelist=${CMAKE_CURRENT_LIST_DIR}/tsan-ignore.txt)
    endif()
endif()
