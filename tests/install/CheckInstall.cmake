# Installs the build into a scratch prefix and checks that the console program and its
# manual page land where a Unix user looks, the program runs from there and the page
# renders without a warning.
#   cmake -DBUILD=<build dir> -DSCRATCH=<empty folder> -P CheckInstall.cmake
file(REMOVE_RECURSE ${SCRATCH})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${SCRATCH} RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed")
endif()
foreach(installed bin/quorvane share/man/man1/quorvane.1)
  if(NOT EXISTS ${SCRATCH}/${installed})
    message(FATAL_ERROR "${installed} was not installed")
  endif()
endforeach()
execute_process(COMMAND ${SCRATCH}/bin/quorvane --help RESULT_VARIABLE status OUTPUT_VARIABLE help)
if(NOT status EQUAL 0 OR NOT help MATCHES "FILE-OR-FOLDER")
  message(FATAL_ERROR "the installed program does not run: ${help}")
endif()
find_program(GROFF groff)
if(GROFF)
  execute_process(COMMAND ${GROFF} -k -man -Tutf8 -ww -z ${SCRATCH}/share/man/man1/quorvane.1
                  RESULT_VARIABLE status ERROR_VARIABLE warnings)
  if(NOT status EQUAL 0 OR NOT warnings STREQUAL "")
    message(FATAL_ERROR "the manual page does not render cleanly: ${warnings}")
  endif()
endif()
file(REMOVE_RECURSE ${SCRATCH})
