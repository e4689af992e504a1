# Runs EXE [OPTION] ARG through RUN (the Wine wrapper) and checks the exit
# status and that the output contains EXPECT.
execute_process(COMMAND ${RUN} ${EXE} ${OPTION} ${ARG} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
message("${out}${err}")
if(NOT status STREQUAL "${STATUS}")
  message(FATAL_ERROR "exit status ${status}, expected ${STATUS}")
endif()
string(FIND "${out}" "${EXPECT}" at)
if(at EQUAL -1)
  message(FATAL_ERROR "output lacks '${EXPECT}'")
endif()
