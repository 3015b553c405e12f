# Run by CPack on the staged files before it packs them: removes the
# sections a stripped Debian binary does not carry from the programs.
find_program(_zelk_objcopy NAMES objcopy REQUIRED)
file(GLOB _zelk_programs "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/usr/bin/*")
foreach(program IN LISTS _zelk_programs)
  execute_process(COMMAND ${_zelk_objcopy} --remove-section=.comment --remove-section=.note "${program}"
                  RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "objcopy failed on ${program}")
  endif()
endforeach()
