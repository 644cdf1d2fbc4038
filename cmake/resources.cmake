# Windows resources of the downloader: the configured .rc (string table, manifest, version
# information, icon, tray menu, "IMAGE" skins) compiled by windres into the executable.
#
#   include(cmake/resources.cmake)
#   dl_add_resources(<target> <x86|amd64>)
#
# Reads DL_CHANNEL, DL_PACKAGE_PATH, DL_USE_TEST_SERVER, DL_BANNER_HOST and DL_VERSION
# (cache variables of the top-level project); a value changed with -D re-configures the .rc,
# which rebuilds the resource object.

if(NOT CMAKE_RC_COMPILER_LOADED)
  enable_language(RC)
endif()

include("${CMAKE_CURRENT_LIST_DIR}/banner_url.cmake")

set(DL_RES_DIR "${CMAKE_CURRENT_LIST_DIR}/../res")
get_filename_component(DL_RES_DIR "${DL_RES_DIR}" ABSOLUTE)

# The skins occupy ids 1101..1119; ids no window uses still carry a marker image so that the
# range stays complete for the artwork that replaces the placeholders. Each has its 2x artwork
# (res/images/2x) under the same id as type "IMAGE2X", which displays of other densities draw
# from.
set(DL_IMAGE_FIRST 1101)
set(DL_IMAGE_LAST 1119)

# Escapes a value for a quoted windres string: a backslash starts an escape sequence and a
# quote is written twice. Line breaks cannot be expressed in a one-line setting, so they fail.
function(_dl_rc_escape out name value)
  if(value MATCHES "[\r\n]")
    message(FATAL_ERROR "${name} must not contain a line break")
  endif()
  string(REPLACE "\\" "\\\\" value "${value}")
  string(REPLACE "\"" "\"\"" value "${value}")
  set(${out} "${value}" PARENT_SCOPE)
endfunction()

# File names are written unescaped into the .rc, so refuse the two characters windres would
# read differently.
function(_dl_rc_path out path)
  if(path MATCHES "[\"\\\\]")
    message(FATAL_ERROR "resource path '${path}' contains a quote or backslash")
  endif()
  set(${out} "${path}" PARENT_SCOPE)
endfunction()

function(dl_add_resources target arch)
  if(NOT TARGET ${target})
    message(FATAL_ERROR "dl_add_resources: no target '${target}'")
  endif()
  if(arch STREQUAL "x86")
    set(DL_MANIFEST_ARCH "X86")
  elseif(arch STREQUAL "amd64")
    set(DL_MANIFEST_ARCH "amd64")
  else()
    message(FATAL_ERROR "dl_add_resources: arch must be x86 or amd64, not '${arch}'")
  endif()

  # Defaults for a project that does not define the settings; the top level normally does.
  foreach(pair "DL_CHANNEL=200019" "DL_PACKAGE_PATH=/update/rolk_lobby_full.zip"
               "DL_USE_TEST_SERVER=0" "DL_VERSION=1.0.0.0")
    string(REPLACE "=" ";" pair "${pair}")
    list(GET pair 0 var)
    list(GET pair 1 default)
    if(NOT DEFINED ${var})
      set(${var} "${default}")
    endif()
  endforeach()
  if("${DL_BANNER_HOST}" STREQUAL "")
    message(FATAL_ERROR "DL_BANNER_HOST (banner page [https://]host[:port]) is not set")
  endif()

  if(NOT DL_VERSION MATCHES "^([0-9]+)\\.([0-9]+)\\.([0-9]+)\\.([0-9]+)$")
    message(FATAL_ERROR "DL_VERSION '${DL_VERSION}' is not of the form a.b.c.d")
  endif()
  foreach(i 1 2 3 4)
    if(CMAKE_MATCH_${i} GREATER 65535)
      message(FATAL_ERROR "DL_VERSION '${DL_VERSION}': each part must be at most 65535")
    endif()
  endforeach()
  string(REPLACE "." "," DL_VERSION_COMMA "${DL_VERSION}")

  dl_banner_url(banner_url "${DL_BANNER_HOST}")
  # The program reads these into fixed buffers: 1024 bytes and 2048 wide characters.
  string(LENGTH "${DL_PACKAGE_PATH}" len)
  if(len GREATER 1023)
    message(FATAL_ERROR "DL_PACKAGE_PATH is longer than 1023 characters")
  endif()
  string(LENGTH "${banner_url}" len)
  if(len GREATER 2047)
    message(FATAL_ERROR "banner URL is longer than 2047 characters")
  endif()

  _dl_rc_escape(DL_RC_CHANNEL DL_CHANNEL "${DL_CHANNEL}")
  _dl_rc_escape(DL_RC_PACKAGE_PATH DL_PACKAGE_PATH "${DL_PACKAGE_PATH}")
  _dl_rc_escape(DL_RC_USE_TEST_SERVER DL_USE_TEST_SERVER "${DL_USE_TEST_SERVER}")
  _dl_rc_escape(DL_RC_BANNER_URL DL_BANNER_HOST "${banner_url}")
  _dl_rc_escape(DL_RC_VERSION DL_VERSION "${DL_VERSION}")

  get_target_property(output_name ${target} OUTPUT_NAME)
  if(NOT output_name)
    set(output_name "${target}")
  endif()
  _dl_rc_escape(DL_RC_INTERNAL_NAME OUTPUT_NAME "${output_name}")
  _dl_rc_escape(DL_RC_ORIGINAL_FILENAME OUTPUT_NAME "${output_name}.exe")

  set(out_dir "${CMAKE_CURRENT_BINARY_DIR}/${target}_resources")
  set(DL_MANIFEST_FILE "${out_dir}/${arch}.manifest")
  configure_file("${DL_RES_DIR}/manifest.xml.in" "${DL_MANIFEST_FILE}" @ONLY)
  _dl_rc_path(DL_RC_MANIFEST "${DL_MANIFEST_FILE}")
  _dl_rc_path(DL_RC_ICON "${DL_RES_DIR}/app.ico")

  set(deps "${DL_MANIFEST_FILE}" "${DL_RES_DIR}/app.ico")
  set(DL_RC_IMAGE_LINES "")
  foreach(id RANGE ${DL_IMAGE_FIRST} ${DL_IMAGE_LAST})
    set(png "${DL_RES_DIR}/images/${id}.png")
    if(NOT EXISTS "${png}")
      message(FATAL_ERROR "missing skin ${png} (res/tools/make_art.py draws it)")
    endif()
    set(png2x "${DL_RES_DIR}/images/2x/${id}.png")
    if(NOT EXISTS "${png2x}")
      message(FATAL_ERROR "missing 2x skin ${png2x} (res/tools/make_art.py draws it)")
    endif()
    _dl_rc_path(png_rc "${png}")
    _dl_rc_path(png2x_rc "${png2x}")
    string(APPEND DL_RC_IMAGE_LINES "${id} IMAGE \"${png_rc}\"\n${id} IMAGE2X \"${png2x_rc}\"\n")
    list(APPEND deps "${png}" "${png2x}")
  endforeach()

  set(rc "${out_dir}/downloader.rc")
  configure_file("${DL_RES_DIR}/downloader.rc.in" "${rc}" @ONLY)

  target_sources(${target} PRIVATE "${rc}")
  # windres neither scans the files an .rc names nor reads UTF-8 without being told, so the
  # skins, icon and manifest are listed as dependencies and the code page is given here
  # (the .rc also says so with a pragma).
  set_source_files_properties("${rc}" TARGET_DIRECTORY ${target} PROPERTIES
    OBJECT_DEPENDS "${deps}"
    COMPILE_OPTIONS "--codepage=65001")
endfunction()
