# The framework under wine: real skinned windows driven with real messages, and the tray icon
# against wine's shell. The "desktop" lock keeps them apart from tests that place windows or
# move the pointer.
if(WIN32)
  dl_test_program(ui_framework_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/skin_window_test.cpp
    LIBS dl_ui_framework dl_test_support)
  dl_add_wine_test(NAME ui_framework COMMAND ui_framework_test RESOURCE_LOCK desktop)
endif()
