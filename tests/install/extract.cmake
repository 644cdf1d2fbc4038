# Package extraction. The pure parts (names, paths, times, attributes) run natively under the
# sanitizers and under wine; the extraction itself runs under wine on archives that real tools
# make at test time (extract_archives_test.sh), and on the project's test package.
dl_pure_test(install_extract_pure_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/extract_name_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/extract_times_test.cpp
  LIBS dl_install_pure)

if(WIN32)
  dl_test_program(install_extract_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/extract_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/stream_unpack_test.cpp
    LIBS dl_install dl_test_support)
  dl_add_bench_script_test(NAME install_extract
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/extract_archives_test.sh
            $<TARGET_FILE:install_extract_test>
            ${CMAKE_CURRENT_LIST_DIR}/extract_make_archives.py
    TIMEOUT 180)

  if(DEFINED DL_TEST_PACKAGE)
    set(_dl_package "${DL_TEST_PACKAGE}")
  else()
    set(_dl_package "")
    message(STATUS "install_extract_package will skip: the test package (tests/package) is missing")
  endif()
  dl_add_bench_script_test(NAME install_extract_package
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/extract_package_test.sh
            $<TARGET_FILE:install_extract_test> "${_dl_package}"
    TIMEOUT 300)
  if(TEST install_extract_package)  # i686 builds register no wine tests
    set_tests_properties(install_extract_package PROPERTIES SKIP_RETURN_CODE 77)
  endif()
  unset(_dl_package)
endif()
