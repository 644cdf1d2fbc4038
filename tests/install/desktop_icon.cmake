# The desktop icon search: the record layouts natively under the sanitizers and under wine; the
# search itself under wine against fake_desktop.exe, a second process that builds the desktop's
# windows around a real list view. Those tests take the "desktop" lock: two fake desktops at
# once would find each other's windows.
dl_pure_test(install_desktop_icon_pure_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/desktop_icon_layout_test.cpp
  LIBS dl_install_pure)

if(WIN32)
  add_executable(fake_desktop ${CMAKE_CURRENT_LIST_DIR}/fake_desktop.cpp)
  target_link_libraries(fake_desktop PRIVATE dl_common comctl32 user32)
  dl_test_program(install_desktop_icon_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/desktop_icon_test.cpp
    LIBS dl_install dl_test_support)
  add_dependencies(install_desktop_icon_test fake_desktop)
  dl_add_wine_test(NAME install_desktop_icon COMMAND install_desktop_icon_test
    RESOURCE_LOCK desktop TIMEOUT 120)
endif()
