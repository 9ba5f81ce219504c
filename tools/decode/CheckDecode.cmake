# Runs velmora-decode on SAMPLE.txt (as standard input) and compares standard
# output with SAMPLE.out, standard error with SAMPLE.err and the exit status
# with SAMPLE.status (or STATUS when given).
execute_process(COMMAND ${TOOL} ${MODE}
  INPUT_FILE ${SAMPLE}.txt
  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
file(READ ${SAMPLE}.out expected_out)
file(READ ${SAMPLE}.err expected_err)
file(STRINGS ${SAMPLE}.status expected_status)
if(DEFINED STATUS)
  set(expected_status ${STATUS})
endif()
if(NOT out STREQUAL expected_out)
  message(FATAL_ERROR "standard output differs:\n${out}\nexpected:\n${expected_out}")
endif()
if(NOT err STREQUAL expected_err)
  message(FATAL_ERROR "standard error differs:\n${err}\nexpected:\n${expected_err}")
endif()
if(NOT status EQUAL expected_status)
  message(FATAL_ERROR "exit status ${status}, expected ${expected_status}")
endif()
