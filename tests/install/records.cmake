# The channel profile under wine, in a temp install folder.
if(WIN32)
  dl_test_program(install_records_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/records_test.cpp
    LIBS dl_install dl_test_support)
  dl_add_wine_test(NAME install_records COMMAND install_records_test)
endif()
