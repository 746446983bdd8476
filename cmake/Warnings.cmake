# Warnings as an interface target: our own targets link it, third-party code does not.
add_library(tirvane_warnings INTERFACE)
target_compile_options(tirvane_warnings INTERFACE -Wall -Wextra -Werror)
