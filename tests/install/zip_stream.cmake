# The reader that follows an archive while it arrives, natively under the sanitizers, on
# archives the real tools make first (Info-ZIP zip, 7z, bsdtar, Python's zipfile).
if(NOT WIN32)
  dl_test_program(install_zip_stream_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/zip_stream_test.cpp
    LIBS dl_install_pure)
  set(_dl_archives ${CMAKE_CURRENT_BINARY_DIR}/zip_stream_archives)
  add_test(NAME native.install_zip_stream_archives
    COMMAND python3 ${CMAKE_CURRENT_LIST_DIR}/zip_stream_make_archives.py ${_dl_archives})
  set_tests_properties(native.install_zip_stream_archives PROPERTIES
    FIXTURES_SETUP zip_stream_archives)
  add_test(NAME native.install_zip_stream COMMAND install_zip_stream_test)
  set_tests_properties(native.install_zip_stream PROPERTIES
    FIXTURES_REQUIRED zip_stream_archives
    ENVIRONMENT DL_ZIP_STREAM_ARCHIVES=${_dl_archives})
  unset(_dl_archives)
endif()
