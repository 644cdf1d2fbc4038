# The local servers the network tests talk to (nginx and the fault server on free loopback
# ports), started once per test run through the net_servers fixture. Include after
# wine_bench.cmake.
#
#   dl_add_server_test(NAME n COMMAND target [args...] <options of dl_add_wine_test>)
#   dl_add_server_script_test(NAME n COMMAND script [args...] <options>)

if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  function(dl_add_server_test)
  endfunction()
  function(dl_add_server_script_test)
  endfunction()
  return()
endif()

set(DL_SERVERS_SOURCE_DIR "${CMAKE_CURRENT_LIST_DIR}/../tests/servers")
get_filename_component(DL_SERVERS_SOURCE_DIR "${DL_SERVERS_SOURCE_DIR}" ABSOLUTE)

add_test(NAME servers.start
  COMMAND "${DL_SERVERS_SOURCE_DIR}/start_servers.sh" "${DL_BENCH_DIR}" "${CMAKE_BINARY_DIR}")
set_tests_properties(servers.start PROPERTIES
  FIXTURES_SETUP net_servers FIXTURES_REQUIRED wine_bench TIMEOUT 60 LABELS servers)
add_test(NAME servers.stop COMMAND "${DL_SERVERS_SOURCE_DIR}/stop_servers.sh" "${DL_BENCH_DIR}")
set_tests_properties(servers.stop PROPERTIES
  FIXTURES_CLEANUP net_servers TIMEOUT 30 LABELS servers)

function(dl_add_server_test)
  cmake_parse_arguments(ARG "" "NAME" "" ${ARGN})
  dl_add_wine_test(NAME ${ARG_NAME} ${ARG_UNPARSED_ARGUMENTS} LABELS servers)
  set_tests_properties(${ARG_NAME} PROPERTIES FIXTURES_REQUIRED "wine_bench;net_servers")
endfunction()

function(dl_add_server_script_test)
  cmake_parse_arguments(ARG "" "NAME" "" ${ARGN})
  dl_add_bench_script_test(NAME ${ARG_NAME} ${ARG_UNPARSED_ARGUMENTS} LABELS servers)
  set_tests_properties(${ARG_NAME} PROPERTIES FIXTURES_REQUIRED "wine_bench;net_servers")
endfunction()
