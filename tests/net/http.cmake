# The network code: its texts everywhere; the client, the downloads and the reports under wine
# against the local nginx and the fault server.
dl_pure_test(net_text_pure_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/net_text_test.cpp
  LIBS dl_net_pure)

if(WIN32)
  add_library(dl_net_test_support STATIC ${CMAKE_CURRENT_LIST_DIR}/server_env.cpp)
  target_link_libraries(dl_net_test_support PUBLIC dl_common dl_test_support)
  dl_test_program(net_download_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/download_test.cpp
    LIBS dl_net dl_net_test_support dl_test_support)
  dl_add_server_test(NAME net_download COMMAND net_download_test TIMEOUT 180)
endif()
