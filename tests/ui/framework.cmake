# The framework under wine: real skinned windows driven with real window messages, controls
# that record what the window calls on them, the paint paths read back from the surface, the
# window-procedure hook and the tray icon against wine's shell. The "desktop" lock keeps the
# tests apart from others that place windows or move the pointer.
if(WIN32)
  dl_test_program(ui_framework_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/ui_test_support.cpp
            ${CMAKE_CURRENT_LIST_DIR}/framework_test_support.cpp
            ${CMAKE_CURRENT_LIST_DIR}/skin_window_input_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/skin_window_paint_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/skin_window_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/wndproc_thunk_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/tray_icon_test.cpp
    LIBS dl_ui_framework dl_test_support)
  dl_add_wine_test(NAME ui_framework COMMAND ui_framework_test RESOURCE_LOCK desktop)
endif()
