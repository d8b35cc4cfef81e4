# Run first by every install: makes the folders the install writes into, 0755 whatever the umask
# (the folders an install makes on its own keep the umask's mark). Folders that already exist
# are left as they are. COUNTDOWN_INSTALL_FOLDERS lists them relative to the prefix.
function(make_folder path)
  if(NOT EXISTS "${path}")
    file(MAKE_DIRECTORY "${path}")
    file(CHMOD "${path}" DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
      GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  endif()
endfunction()

set(prefix "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
make_folder("${prefix}")
foreach(folder IN LISTS COUNTDOWN_INSTALL_FOLDERS)
  set(path "${prefix}")
  string(REPLACE "/" ";" parts "${folder}")
  foreach(part IN LISTS parts)
    string(APPEND path "/${part}")
    make_folder("${path}")
  endforeach()
endforeach()
