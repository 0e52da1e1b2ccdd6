# cmake -DEMULATOR=<runner or empty> -DPROGRAM=<exe> -DARGUMENTS=<a|b|...>
#       -DEXPECTED_EXIT_CODE=<n> -P expect_exit_code.cmake
# Passes exactly when the program, run the way CTest runs it, ends with the
# expected exit code.
string(REPLACE "|" ";" _arguments "${ARGUMENTS}")
execute_process(COMMAND ${EMULATOR} ${PROGRAM} ${_arguments}
  RESULT_VARIABLE _exit_code
  OUTPUT_VARIABLE _output
  ERROR_VARIABLE _output)
if(NOT "${_exit_code}" STREQUAL "${EXPECTED_EXIT_CODE}")
  message(FATAL_ERROR "${PROGRAM} ended with '${_exit_code}', expected ${EXPECTED_EXIT_CODE}. Its output:\n${_output}")
endif()
