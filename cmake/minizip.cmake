# The unzip layer of minizip, built from the zlib source tree that
# scripts/setup.sh fetches (MinGW has zlib packaged but not minizip).
# Only unzip.c and the portable ioapi.c are compiled: archives are read
# through the project's own I/O table, so iowin32.c and the writer zip.c
# stay out.
#
# Provides:
#   minizip_unzip  static library; its include folder and zlib come along PUBLIC
#   dl_mingw_zlib  imported static zlib of the MinGW target

set(DL_ZLIB_SOURCE_DIR "" CACHE PATH
    "Unpacked zlib source tree (prints with: scripts/setup.sh --print-zlib-dir)")

if(NOT DL_ZLIB_SOURCE_DIR OR NOT EXISTS "${DL_ZLIB_SOURCE_DIR}/contrib/minizip/unzip.c")
  message(FATAL_ERROR
    "minizip sources not found: '${DL_ZLIB_SOURCE_DIR}/contrib/minizip/unzip.c' is missing.\n"
    "Run scripts/setup.sh, then configure with "
    "-DDL_ZLIB_SOURCE_DIR=$(scripts/setup.sh --print-zlib-dir)")
endif()

get_property(_dl_languages GLOBAL PROPERTY ENABLED_LANGUAGES)
if(NOT "C" IN_LIST _dl_languages)
  enable_language(C)
endif()

if(DEFINED DL_TRIPLET)
  set(_dl_zlib_triplet "${DL_TRIPLET}")
elseif(CMAKE_C_COMPILER MATCHES "([a-z0-9_]+-w64-mingw32)-[^/]*$")
  set(_dl_zlib_triplet "${CMAKE_MATCH_1}")
else()
  message(FATAL_ERROR "minizip.cmake: cannot tell the MinGW triplet; set DL_TRIPLET")
endif()

# The archive by full path: a plain "z" would let the linker pick
# libz.dll.a and make the program depend on a zlib DLL.
set(_dl_zlib_prefix "/usr/${_dl_zlib_triplet}")
if(NOT EXISTS "${_dl_zlib_prefix}/lib/libz.a" OR NOT EXISTS "${_dl_zlib_prefix}/include/zlib.h")
  message(FATAL_ERROR
    "MinGW zlib not found under ${_dl_zlib_prefix}: install libz-mingw-w64-dev "
    "(scripts/setup.sh does)")
endif()

if(NOT TARGET dl_mingw_zlib)
  add_library(dl_mingw_zlib STATIC IMPORTED GLOBAL)
  set_target_properties(dl_mingw_zlib PROPERTIES
    IMPORTED_LOCATION "${_dl_zlib_prefix}/lib/libz.a"
    INTERFACE_INCLUDE_DIRECTORIES "${_dl_zlib_prefix}/include")
endif()

set(_dl_minizip_dir "${DL_ZLIB_SOURCE_DIR}/contrib/minizip")
add_library(minizip_unzip STATIC
  "${_dl_minizip_dir}/unzip.c"
  "${_dl_minizip_dir}/ioapi.c")
set_target_properties(minizip_unzip PROPERTIES LINKER_LANGUAGE C)
# SYSTEM: the project's -Wall -Wextra -Werror must not trip over these headers.
target_include_directories(minizip_unzip SYSTEM PUBLIC "${_dl_minizip_dir}")
target_link_libraries(minizip_unzip PUBLIC dl_mingw_zlib)
# Third-party code: keep its warnings out of the build log. MinGW's stdio.h
# declares fopen64/ftello64/fseeko64, so ioapi.c's 64-bit path builds as is
# on both x86_64 and i686.
target_compile_options(minizip_unzip PRIVATE -w)

unset(_dl_languages)
unset(_dl_zlib_triplet)
unset(_dl_zlib_prefix)
unset(_dl_minizip_dir)
