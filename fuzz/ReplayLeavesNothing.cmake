# Replays a seed corpus with the temporary folder pointed at an empty folder of
# its own, and fails when the replay fails or leaves anything in that folder.
# cmake -DREPLAY=program -DCORPUS=folder -DTEMP=folder -P ReplayLeavesNothing.cmake
file(REMOVE_RECURSE "${TEMP}")
file(MAKE_DIRECTORY "${TEMP}")
set(ENV{TMPDIR} "${TEMP}")
execute_process(COMMAND "${REPLAY}" "${CORPUS}" RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the replay failed: ${result}")
endif()
file(GLOB left LIST_DIRECTORIES true "${TEMP}/*" "${TEMP}/.*")
if(left)
  message(FATAL_ERROR "the replay left files in the temporary folder: ${left}")
endif()
file(REMOVE_RECURSE "${TEMP}")
