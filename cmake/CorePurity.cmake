# The portable core must build without the Windows headers. A core file that
# includes one stops the configuration here, and the kivo_core_purity target
# repeats the check on every build so an edit cannot slip past a stale cache.
set(KIVO_PURITY_SCRIPT ${CMAKE_SOURCE_DIR}/cmake/CheckCorePurity.cmake)

function(kivo_check_core_purity sources)
  string(REPLACE ";" "|" joined "${sources}")
  execute_process(
    COMMAND ${CMAKE_COMMAND} "-DKIVO_FILES=${joined}" -P ${KIVO_PURITY_SCRIPT}
    RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "The portable core includes a Windows header (see above).")
  endif()
  add_custom_target(kivo_core_purity
    COMMAND ${CMAKE_COMMAND} "-DKIVO_FILES=${joined}" -P ${KIVO_PURITY_SCRIPT}
    COMMENT "Checking that the portable core stays free of Windows headers"
    VERBATIM)
endfunction()
