# Run by CPack on the package's tree before it is packed: Debian keeps the licence text in
# /usr/share/doc/<package>/copyright, and every folder is 0755 whatever the builder's umask.
set(tree "${CPACK_TEMPORARY_INSTALL_DIRECTORY}")
file(GLOB_RECURSE folders LIST_DIRECTORIES true "${tree}/*")
list(FILTER folders INCLUDE REGEX "/share/licenses$")
if(folders)
  file(REMOVE_RECURSE ${folders})
endif()
file(GLOB_RECURSE folders LIST_DIRECTORIES true "${tree}/*")
foreach(folder IN LISTS folders ITEMS "${tree}")
  if(IS_DIRECTORY "${folder}")
    file(CHMOD "${folder}" DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
      GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  endif()
endforeach()
