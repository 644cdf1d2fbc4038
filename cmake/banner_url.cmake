# The banner page's address for a DL_BANNER_HOST setting: its own scheme when it names one
# ("https://" or "http://", any case), plain http otherwise.
#
#   dl_banner_url(<out-var> <host setting>)
function(dl_banner_url out host)
  if(host MATCHES "^[Hh][Tt][Tt][Pp][Ss]?://")
    set(site "${host}")
  else()
    set(site "http://${host}")
  endif()
  set(${out} "${site}/banner_download/index.do?siteID=16&channelID=0" PARENT_SCOPE)
endfunction()
