# The channel profile written into the install folder.
if(WIN32)
  list(APPEND DL_INSTALL_WIN channel_profile.cpp)
  list(APPEND DL_INSTALL_LIBS kernel32)
endif()
