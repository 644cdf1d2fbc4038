# The item records the desktop icon search places in the shell's memory, natively under the
# sanitizers and under wine.
dl_pure_test(install_desktop_icon_pure_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/desktop_icon_layout_test.cpp
  LIBS dl_install_pure)
