# Runs one suite script with `sq` (from source, or compiled with `sq -c` and run from bytecode)
# and compares its standard output with the expected output. Sanitizer reports fail the test.
# Inputs: SQ, SRC_DIR, WORK_DIR, NAME, MODE (source|bytecode).
set(script ${NAME}.nut)
set(args "")
if(EXISTS ${SRC_DIR}/${NAME}.args)
  file(READ ${SRC_DIR}/${NAME}.args args)
  string(STRIP "${args}" args)
  separate_arguments(args)
endif()

function(check_stderr err)
  if(err MATCHES "Sanitizer|runtime error:")
    message(FATAL_ERROR "sanitizer report:\n${err}")
  endif()
endfunction()

if(MODE STREQUAL "bytecode")
  set(compiled ${WORK_DIR}/${NAME}.cnut)
  file(REMOVE ${compiled})
  execute_process(COMMAND ${SQ} -c -o ${compiled} ${script}
    WORKING_DIRECTORY ${SRC_DIR} OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
  check_stderr("${err}")
  if(rc EQUAL 0)
    execute_process(COMMAND ${SQ} ${compiled} ${args}
      WORKING_DIRECTORY ${SRC_DIR} OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
    check_stderr("${err}")
  endif()
else()
  execute_process(COMMAND ${SQ} ${script} ${args}
    WORKING_DIRECTORY ${SRC_DIR} OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
  check_stderr("${err}")
endif()

# A script whose bytecode run legitimately differs (constants) has its own expected output.
set(expected_file ${SRC_DIR}/${NAME}.out)
if(MODE STREQUAL "bytecode" AND EXISTS ${SRC_DIR}/${NAME}.bytecode.out)
  set(expected_file ${SRC_DIR}/${NAME}.bytecode.out)
endif()
file(READ ${expected_file} expected)
if(NOT out STREQUAL expected)
  file(WRITE ${WORK_DIR}/${NAME}.${MODE}.actual "${out}")
  message(FATAL_ERROR "output differs from ${expected_file} (actual output in ${WORK_DIR}/${NAME}.${MODE}.actual)\n"
    "--- expected\n${expected}\n--- actual\n${out}\n--- stderr\n${err}")
endif()
