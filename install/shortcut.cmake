# The lobby's desktop shortcut: the shell's link object through COM.
if(WIN32)
  list(APPEND DL_INSTALL_WIN desktop_shortcut.cpp)
  list(APPEND DL_INSTALL_LIBS ole32 uuid shell32 user32)
endif()
