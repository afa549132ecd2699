# Run by cpack on the staged files: in the .deb the udev rule moves from the prefix to
# /lib/udev/rules.d, where udev reads it.
if(CPACK_GENERATOR STREQUAL "DEB")
  set(staged ${CPACK_TEMPORARY_INSTALL_DIRECTORY})
  file(MAKE_DIRECTORY ${staged}/lib/udev)
  file(RENAME ${staged}${CPACK_PACKAGING_INSTALL_PREFIX}/lib/udev/rules.d ${staged}/lib/udev/rules.d)
  file(REMOVE_RECURSE ${staged}${CPACK_PACKAGING_INSTALL_PREFIX}/lib/udev)
endif()
