# The installer window: its display arithmetic and folder texts natively under the sanitizers
# (and under wine); the window itself under wine, built in the test program with the
# downloader's own resources and a stand-in worker, driven through its controls and messages.
# The "desktop" lock keeps it apart from tests that place windows or make desktops of their
# own.
dl_pure_test(ui_installer_pure_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/progress_display_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/folder_choice_text_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/desktop_icon_layout_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/remaining_time_test.cpp
  LIBS dl_ui_installer_pure)

if(WIN32)
  dl_test_program(ui_installer_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/download_window_test.cpp
    LIBS dl_ui_installer dl_app dl_test_support oleacc)
  dl_add_resources(ui_installer_test ${DL_ARCH})
  if(TARGET lobby)
    add_dependencies(ui_installer_test lobby)
  endif()
  dl_add_wine_test(NAME ui_installer COMMAND ui_installer_test RESOURCE_LOCK desktop TIMEOUT 300)
endif()
