# A cross build runs its tests under CMAKE_CROSSCOMPILING_EMULATOR. Whether this machine can is
# found by running a tiny program of the build, never assumed: without 32-bit execution in the
# kernel, or without the Wine of the build's word size, OSTREL_PROGRAMS_RUN is OFF and
# OSTREL_PROGRAMS_NOT_RUN says why; the build then makes what it ships, and its tests are one
# skipped test that says so.
#
# A machine whose kernel refuses 32-bit programs runs them in a virtual machine of its own
# (scripts/test-win32.sh), which sees this build folder at the same path. That script found the
# refusal by running one and sets OSTREL_PROGRAMS_RUN_IN_VM: the tests are then registered as
# usual, to be run there; on this machine they would end with "Exec format error". Code runs
# 10 to 20 times slower there, under emulation: OSTREL_TEST_TIME_SCALE multiplies every time
# limit of the tests (tests/CMakeLists.txt).
option(OSTREL_PROGRAMS_RUN_IN_VM
       "The tests of this cross build run in the virtual machine of scripts/test-win32.sh" OFF)
set(OSTREL_PROGRAMS_RUN ON)
set(OSTREL_TEST_TIME_SCALE 1)
if(NOT CMAKE_CROSSCOMPILING)
  return()
endif()
math(EXPR emulator_bits "${CMAKE_SIZEOF_VOID_P} * 8")
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
  set(emulator_why "no emulator is set")
else()
  try_run(emulator_exit_code emulator_compiled ${CMAKE_BINARY_DIR}/emulator-check
          SOURCES ${CMAKE_CURRENT_LIST_DIR}/pointer_bits.c
          RUN_OUTPUT_VARIABLE emulator_output)
  if(emulator_exit_code STREQUAL emulator_bits)
    message(STATUS "This machine runs ${emulator_bits}-bit Windows programs under "
                   "${CMAKE_CROSSCOMPILING_EMULATOR}")
    return()
  endif()
  if(OSTREL_PROGRAMS_RUN_IN_VM)
    message(STATUS "This machine does not run ${emulator_bits}-bit Windows programs itself: the "
                   "tests are registered for the virtual machine of scripts/test-win32.sh")
    set(OSTREL_TEST_TIME_SCALE 10)
    return()
  endif()
  string(STRIP "${emulator_output}" emulator_output)
  string(REGEX REPLACE "\n.*" "" emulator_output "${emulator_output}")
  string(CONCAT emulator_why "a ${emulator_bits}-bit program under ${CMAKE_CROSSCOMPILING_EMULATOR}"
               " ended with ${emulator_exit_code}: ${emulator_output}")
endif()
set(OSTREL_PROGRAMS_RUN OFF)
string(CONCAT OSTREL_PROGRAMS_NOT_RUN "this machine cannot run ${emulator_bits}-bit Windows "
              "programs (${emulator_why}): tests not run")
message(WARNING "${OSTREL_PROGRAMS_NOT_RUN}")
