# Runs the runner once and checks its exit code and standard output.
#   RUNNER, ARGS ("|" between arguments), WORKDIR, EXPECT_EXIT,
#   EXPECT_STDOUT (a file whose text must equal the output) or EXPECT_REGEX.
string(REPLACE "|" ";" arguments "${ARGS}")
execute_process(COMMAND ${RUNNER} ${arguments}
                WORKING_DIRECTORY ${WORKDIR}
                RESULT_VARIABLE code
                OUTPUT_VARIABLE out
                ERROR_VARIABLE err)
if(NOT code STREQUAL EXPECT_EXIT)
    message(FATAL_ERROR "exit ${code}, expected ${EXPECT_EXIT}\nstdout:\n${out}\nstderr:\n${err}")
endif()
if(DEFINED EXPECT_STDOUT)
    file(READ ${EXPECT_STDOUT} expected)
    if(NOT out STREQUAL expected)
        message(FATAL_ERROR "stdout:\n${out}\nexpected:\n${expected}")
    endif()
endif()
if(DEFINED EXPECT_REGEX AND NOT out MATCHES "${EXPECT_REGEX}")
    message(FATAL_ERROR "stdout does not match ${EXPECT_REGEX}:\n${out}")
endif()
