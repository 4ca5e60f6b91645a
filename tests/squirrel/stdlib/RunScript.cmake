# Runs one script with the sq shell and compares what it prints with the expected text.
# -DSQ=<sq executable> -DSCRIPT=<file name> -DEXPECTED=<path of the expected output>
execute_process(COMMAND ${SQ} ${SCRIPT}
  OUTPUT_VARIABLE actual
  ERROR_VARIABLE errors
  RESULT_VARIABLE status)
file(READ ${EXPECTED} expected)
if(NOT actual STREQUAL expected)
  message(FATAL_ERROR "${SCRIPT}: output differs (exit status ${status})\n"
    "--- expected\n${expected}\n--- actual\n${actual}\n--- stderr\n${errors}")
endif()
