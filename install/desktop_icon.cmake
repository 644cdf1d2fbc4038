# The desktop icon search: the item record layouts (pure) and the cross-process lookup in the
# shell's list view (Windows).
list(APPEND DL_INSTALL_PURE list_view_layout.cpp)
if(WIN32)
  list(APPEND DL_INSTALL_WIN desktop_icon.cpp)
  list(APPEND DL_INSTALL_LIBS user32 kernel32)
endif()
