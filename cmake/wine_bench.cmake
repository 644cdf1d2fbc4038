# Runs the x86_64 test programs under wine64 on a private bench (prefix,
# home, Xvfb display, persistent wineserver) that ctest starts once per run
# through the wine_bench fixture. Include before the test targets are
# created: CMAKE_CROSSCOMPILING_EMULATOR is copied into each target then.
#
#   dl_add_wine_test(NAME n COMMAND target-or-exe [args...]
#                    [WORKING_DIRECTORY dir] [TIMEOUT s]
#                    [RESOURCE_LOCK lock...] [ENVIRONMENT k=v...] [LABELS l...])
#   dl_add_bench_script_test(NAME n COMMAND script [args...] <same options>)
#     The script gets DL_WINE_RUN (the wrapper) and DL_BENCH_DIR.

# 32-bit wine cannot run on this kind of machine (the kernel refuses 32-bit
# programs), so an i686 build compiles its test programs but registers none.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  message(STATUS "i686 build: test programs are built, not run (no 32-bit wine here)")
  function(dl_add_wine_test)
  endfunction()
  function(dl_add_bench_script_test)
  endfunction()
  return()
endif()

set(DL_BENCH_DIR "${CMAKE_BINARY_DIR}/bench")
set(DL_BENCH_SOURCE_DIR "${CMAKE_CURRENT_LIST_DIR}/../tests/bench")
get_filename_component(DL_BENCH_SOURCE_DIR "${DL_BENCH_SOURCE_DIR}" ABSOLUTE)
set(DL_WINE_RUN "${DL_BENCH_DIR}/wine-run.sh")

configure_file("${DL_BENCH_SOURCE_DIR}/wine-run.sh.in" "${DL_WINE_RUN}" @ONLY
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
                                GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR "${DL_WINE_RUN}")

add_test(NAME bench.start COMMAND "${DL_BENCH_SOURCE_DIR}/start.sh" "${DL_BENCH_DIR}")
set_tests_properties(bench.start PROPERTIES
  FIXTURES_SETUP wine_bench
  TIMEOUT 300
  LABELS wine)
add_test(NAME bench.stop COMMAND "${DL_BENCH_SOURCE_DIR}/stop.sh" "${DL_BENCH_DIR}")
set_tests_properties(bench.stop PROPERTIES
  FIXTURES_CLEANUP wine_bench
  TIMEOUT 60
  LABELS wine)

function(_dl_bench_test_properties name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "RESOURCE_LOCK;ENVIRONMENT;LABELS" ${ARGN})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 120)
  endif()
  set_tests_properties("${name}" PROPERTIES
    FIXTURES_REQUIRED wine_bench
    TIMEOUT "${ARG_TIMEOUT}"
    LABELS "wine;${ARG_LABELS}"
    ENVIRONMENT "DL_BENCH_DIR=${DL_BENCH_DIR};DL_WINE_RUN=${DL_WINE_RUN};${ARG_ENVIRONMENT}")
  if(ARG_RESOURCE_LOCK)
    set_tests_properties("${name}" PROPERTIES RESOURCE_LOCK "${ARG_RESOURCE_LOCK}")
  endif()
endfunction()

function(dl_add_wine_test)
  cmake_parse_arguments(ARG "" "NAME;WORKING_DIRECTORY;TIMEOUT"
                        "COMMAND;RESOURCE_LOCK;ENVIRONMENT;LABELS" ${ARGN})
  if(NOT ARG_NAME OR NOT ARG_COMMAND)
    message(FATAL_ERROR "dl_add_wine_test: NAME and COMMAND are required")
  endif()
  list(GET ARG_COMMAND 0 program)
  if(TARGET "${program}")
    # add_test prepends the target's emulator; targets made before this file
    # was included lack it.
    get_target_property(emulator "${program}" CROSSCOMPILING_EMULATOR)
    if(NOT emulator)
      set_target_properties("${program}" PROPERTIES CROSSCOMPILING_EMULATOR "${DL_WINE_RUN}")
    endif()
    set(command ${ARG_COMMAND})
  else()
    set(command "${DL_WINE_RUN}" ${ARG_COMMAND})
  endif()
  if(ARG_WORKING_DIRECTORY)
    add_test(NAME "${ARG_NAME}" COMMAND ${command} WORKING_DIRECTORY "${ARG_WORKING_DIRECTORY}")
  else()
    add_test(NAME "${ARG_NAME}" COMMAND ${command})
  endif()
  _dl_bench_test_properties("${ARG_NAME}" TIMEOUT "${ARG_TIMEOUT}"
    RESOURCE_LOCK ${ARG_RESOURCE_LOCK} ENVIRONMENT ${ARG_ENVIRONMENT} LABELS ${ARG_LABELS})
endfunction()

function(dl_add_bench_script_test)
  cmake_parse_arguments(ARG "" "NAME;WORKING_DIRECTORY;TIMEOUT"
                        "COMMAND;RESOURCE_LOCK;ENVIRONMENT;LABELS" ${ARGN})
  if(NOT ARG_NAME OR NOT ARG_COMMAND)
    message(FATAL_ERROR "dl_add_bench_script_test: NAME and COMMAND are required")
  endif()
  if(ARG_WORKING_DIRECTORY)
    add_test(NAME "${ARG_NAME}" COMMAND ${ARG_COMMAND}
             WORKING_DIRECTORY "${ARG_WORKING_DIRECTORY}")
  else()
    add_test(NAME "${ARG_NAME}" COMMAND ${ARG_COMMAND})
  endif()
  _dl_bench_test_properties("${ARG_NAME}" TIMEOUT "${ARG_TIMEOUT}"
    RESOURCE_LOCK ${ARG_RESOURCE_LOCK} ENVIRONMENT ${ARG_ENVIRONMENT} LABELS ${ARG_LABELS})
endfunction()

# The bench checks itself; a failure here explains every other wine failure.
option(DL_BENCH_SELFTEST "Test the wine bench itself (bench.selftest)" ON)
if(DL_BENCH_SELFTEST)
  add_executable(bench_probe "${DL_BENCH_SOURCE_DIR}/probe/bench_probe.cpp")
  target_link_libraries(bench_probe PRIVATE gdi32)
  target_link_options(bench_probe PRIVATE -static -static-libgcc -static-libstdc++)
  dl_add_bench_script_test(NAME bench.selftest
    COMMAND "${DL_BENCH_SOURCE_DIR}/selftest.sh" "$<TARGET_FILE:bench_probe>"
    TIMEOUT 90)
endif()
