# Package extraction: name cleaning, times and attributes (pure), the buffered file layer
# under the unzip library and the extraction itself (Windows).
list(APPEND DL_INSTALL_PURE entry_name.cpp zip_times.cpp zip_stream.cpp)
if(WIN32)
  list(APPEND DL_INSTALL_WIN zip_file_io.cpp entry_files.cpp package_extract.cpp stream_unpack.cpp)
  list(APPEND DL_INSTALL_LIBS minizip_unzip shell32)
endif()
