# Runs make_samples into a fresh folder, checks it with check_samples, removes the folder.
file(REMOVE_RECURSE ${DIR})
# EMULATOR runs the programs of a cross-build (Wine for Windows); empty otherwise.
execute_process(COMMAND ${EMULATOR} ${MAKE} ${DIR} RESULT_VARIABLE made)
if(made EQUAL 0)
  execute_process(COMMAND ${EMULATOR} ${CHECK} ${DIR} RESULT_VARIABLE checked)
endif()
file(REMOVE_RECURSE ${DIR})
if(NOT made EQUAL 0)
  message(FATAL_ERROR "make_samples failed: ${made}")
endif()
if(NOT checked EQUAL 0)
  message(FATAL_ERROR "check_samples failed: ${checked}")
endif()
