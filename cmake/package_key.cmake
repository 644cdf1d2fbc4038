# DL_PACKAGE_PUBLIC_KEY: the site's P-256 public key (the PEM file scripts/site-keys.sh writes),
# compiled into the program, which then installs only packages that key signed. Empty: no key
# and no check, as before. The file is read by the program's own parser, compiled here for
# the build machine; a file that is not such a key stops the configuration, and so the build,
# which configures again whenever the file changes.
#
#   dl_read_package_key(PEM_PATH TOOL_DIR PRESENT_VAR POINT_VAR)
#     PRESENT_VAR becomes 1 or 0, POINT_VAR the 64 bytes X||Y as "0x..,0x..," (empty for none).
#   cmake -DDL_PACKAGE_PUBLIC_KEY=FILE -DDL_KEY_TOOL_DIR=DIR -P cmake/package_key.cmake
#     the same check alone: prints the point or fails with the message a build would show.
set(_dl_package_key_root "${CMAKE_CURRENT_LIST_DIR}/..")
get_filename_component(_dl_package_key_root "${_dl_package_key_root}" ABSOLUTE)

function(dl_read_package_key pem tool_dir present_var point_var)
  set(${present_var} 0 PARENT_SCOPE)
  set(${point_var} "" PARENT_SCOPE)
  if(pem STREQUAL "")
    return()
  endif()
  get_filename_component(pem "${pem}" ABSOLUTE BASE_DIR "${_dl_package_key_root}")
  set(root "${_dl_package_key_root}")
  set(sources ${root}/trust/key_file_tool.cpp ${root}/trust/public_key_pem.cpp
              ${root}/trust/der_reader.cpp)
  if(NOT CMAKE_SCRIPT_MODE_FILE)
    # A changed key (or parser) is read again before the next build.
    set_property(DIRECTORY "${CMAKE_SOURCE_DIR}" APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
                 ${pem} ${sources})
  endif()
  if(NOT EXISTS "${pem}")
    message(FATAL_ERROR "DL_PACKAGE_PUBLIC_KEY: ${pem} does not exist")
  endif()

  find_program(DL_HOST_CXX NAMES c++ g++ clang++)
  if(NOT DL_HOST_CXX)
    message(FATAL_ERROR "DL_PACKAGE_PUBLIC_KEY: no C++ compiler for this machine to check the "
                        "key with (install g++)")
  endif()
  file(MAKE_DIRECTORY "${tool_dir}")
  set(tool "${tool_dir}/key_file_tool")
  execute_process(COMMAND "${DL_HOST_CXX}" -std=c++17 -O1 "-I${root}" ${sources} -o "${tool}"
                  RESULT_VARIABLE failed ERROR_VARIABLE errors)
  if(failed)
    message(FATAL_ERROR "DL_PACKAGE_PUBLIC_KEY: the key checker did not compile:\n${errors}")
  endif()
  execute_process(COMMAND "${tool}" "${pem}" RESULT_VARIABLE failed
                  OUTPUT_VARIABLE point ERROR_VARIABLE problem
                  OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_STRIP_TRAILING_WHITESPACE)
  if(failed)
    message(FATAL_ERROR "DL_PACKAGE_PUBLIC_KEY: ${pem}: ${problem}.\nIt must be the public "
                        "key of an ECDSA P-256 pair, the site.pub.pem that "
                        "scripts/site-keys.sh writes.")
  endif()
  set(${present_var} 1 PARENT_SCOPE)
  set(${point_var} "${point}" PARENT_SCOPE)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  dl_read_package_key("${DL_PACKAGE_PUBLIC_KEY}" "${DL_KEY_TOOL_DIR}" present point)
  message("${present} ${point}")
endif()
