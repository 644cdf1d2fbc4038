# Installation reports: the pure text building everywhere, the request under wine
# against the local statistics server.
dl_pure_test(net_report_pure_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/report_encode_test.cpp
  LIBS dl_net_pure)

if(WIN32)
  dl_test_program(net_report_send_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/report_send_test.cpp
    LIBS dl_net dl_net_test_support)
  if(COMMAND dl_add_server_test)
    dl_add_server_test(NAME net_report_send COMMAND net_report_send_test TIMEOUT 60)
  else()
    message(STATUS "net_report_send is not registered: cmake/test_servers.cmake is missing")
  endif()
endif()
