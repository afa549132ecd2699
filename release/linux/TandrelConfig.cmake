# find_package(Tandrel): the imported target Tandrel::tandrel (libtandrel.so and tandrel.h).
include(${CMAKE_CURRENT_LIST_DIR}/TandrelTargets.cmake)
