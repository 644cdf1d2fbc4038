# The install worker. Its decisions run natively under the sanitizers and under wine; whole
# installation attempts run under wine against the local servers (the test package from nginx,
# the attempt limit against the fault server) and make and read back the shortcut on the bench's
# desktop, hence the "desktop" lock.
dl_pure_test(install_worker_pure_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/worker_rules_test.cpp
  LIBS dl_install_pure)

if(WIN32)
  dl_test_program(install_worker_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/worker_test.cpp
    LIBS dl_install dl_net dl_net_test_support dl_test_support ole32 uuid shell32)
  if(TARGET test_package)
    # The child case starts the stand-in lobby from beside the test program.
    add_dependencies(install_worker_test test_package)
  endif()
  dl_add_server_test(NAME install_worker COMMAND install_worker_test
    RESOURCE_LOCK desktop TIMEOUT 300)
endif()
