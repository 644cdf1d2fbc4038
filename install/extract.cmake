# Package extraction: name cleaning, times and attributes and the reader that follows an
# archive while it arrives (pure), the buffered file layer under the unzip library, the
# whole-file extraction and the unpacking that follows a download (Windows).
list(APPEND DL_INSTALL_PURE entry_name.cpp zip_times.cpp zip_stream.cpp)
list(APPEND DL_INSTALL_PURE_LIBS dl_zlib)
if(WIN32)
  list(APPEND DL_INSTALL_WIN zip_file_io.cpp entry_files.cpp package_extract.cpp stream_unpack.cpp)
  list(APPEND DL_INSTALL_LIBS minizip_unzip shell32)
endif()
