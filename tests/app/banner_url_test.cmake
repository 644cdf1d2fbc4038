# The banner's address keeps the scheme its host setting names (cmake -P this file).
include("${CMAKE_CURRENT_LIST_DIR}/../../cmake/banner_url.cmake")
set(tail "/banner_download/index.do?siteID=16&channelID=0")
foreach(case "b.example:81|http://b.example:81" "https://b.example|https://b.example"
             "HTTPS://b.example:8443|HTTPS://b.example:8443" "http://b|http://b")
  string(REPLACE "|" ";" case "${case}")
  list(GET case 0 host)
  list(GET case 1 want)
  dl_banner_url(got "${host}")
  if(NOT got STREQUAL "${want}${tail}")
    message(FATAL_ERROR "${host}: got ${got}, want ${want}${tail}")
  endif()
endforeach()
