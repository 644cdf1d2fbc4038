# The controls: the frame arithmetic and the shared text natively under the sanitizers (and
# under wine); the control tree, painting, buttons and labels under wine, painted on
# off-screen surfaces without native windows.
dl_pure_test(ui_controls_pure_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/frame_source_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/shared_text_test.cpp
  LIBS dl_ui_controls_pure)

if(WIN32)
  # The button skin as a resource of the test program, for the resource loader.
  set(_dl_controls_rc ${CMAKE_CURRENT_BINARY_DIR}/controls_test.rc)
  file(WRITE ${_dl_controls_rc} "1107 IMAGE \"${CMAKE_SOURCE_DIR}/res/images/1107.png\"\n")
  dl_test_program(ui_controls_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/ui_test_support.cpp
            ${CMAKE_CURRENT_LIST_DIR}/control_paint_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/control_tree_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/button_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/label_test.cpp
            ${_dl_controls_rc}
    LIBS dl_ui_controls dl_test_support)
  dl_add_wine_test(NAME ui_controls COMMAND ui_controls_test)
endif()
