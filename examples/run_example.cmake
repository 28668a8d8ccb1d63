# Runs one example in a fresh folder of its own and compares what it prints
# with the expected text.
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
execute_process(COMMAND ${PROGRAM} ${WORK_DIR} WORKING_DIRECTORY ${WORK_DIR}
                OUTPUT_VARIABLE output RESULT_VARIABLE status)
file(READ ${EXPECTED} expected)
file(REMOVE_RECURSE ${WORK_DIR})
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} ended with ${status}; it printed:\n${output}")
endif()
if(NOT output STREQUAL expected)
  message(FATAL_ERROR "${PROGRAM} printed:\n${output}\nexpected:\n${expected}")
endif()
