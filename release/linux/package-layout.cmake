# Read by cpack for each generator. The .deb installs the prefix at /opt/ostrel: the updater
# keeps its program folder (pid.ini, bin/ with images, log and settings) beside its
# executable, which /usr/bin could not hold. The tarball stays relocatable.
if(CPACK_GENERATOR STREQUAL "DEB")
  set(CPACK_PACKAGING_INSTALL_PREFIX /opt/ostrel)
endif()
