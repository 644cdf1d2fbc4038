# The controls: the frame arithmetic natively under the sanitizers (and under wine); the control tree and the skin preload under wine, painted on off-screen surfaces.
dl_pure_test(ui_controls_pure_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/frame_source_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/display_scale_test.cpp
  LIBS dl_ui_controls_pure)

if(WIN32)
  # Skins of three sizes as resources of the test program, for the loader and the preload.
  set(_dl_controls_rc ${CMAKE_CURRENT_BINARY_DIR}/controls_test.rc)
  file(WRITE ${_dl_controls_rc} "")
  foreach(skin 1101 1104 1107)
    file(APPEND ${_dl_controls_rc} "${skin} IMAGE \"${CMAKE_SOURCE_DIR}/res/images/${skin}.png\"\n")
  endforeach()
  dl_test_program(ui_controls_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/control_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/skin_preload_test.cpp
            ${_dl_controls_rc}
    LIBS dl_ui_controls dl_test_support)
  dl_add_wine_test(NAME ui_controls COMMAND ui_controls_test)
endif()
