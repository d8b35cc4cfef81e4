# Runs a command that installs the build somewhere of the tests' own (the staging prefix, or
# CPack's package tree). Every install writes its list of files to the build folder's
# install_manifest.txt, which is the record of a user's own install and what the README's
# uninstall recipe reads: it is put back as it was.
#
#   cmake -DBUILD_DIR=<build> "-DCOMMAND=<program;arguments...>" -P keep_manifest.cmake
set(manifest ${BUILD_DIR}/install_manifest.txt)
set(saved ${BUILD_DIR}/install_manifest.txt.user)
if(EXISTS ${manifest})
  file(RENAME ${manifest} ${saved})
endif()
execute_process(COMMAND ${COMMAND} WORKING_DIRECTORY ${BUILD_DIR} RESULT_VARIABLE failed)
file(REMOVE ${manifest})
if(EXISTS ${saved})
  file(RENAME ${saved} ${manifest})
endif()
if(failed)
  message(FATAL_ERROR "${COMMAND} failed: ${failed}")
endif()
