# The desktop shortcut under wine, on the bench's private desktop; the "desktop" lock keeps it
# apart from the other tests that look at or write to the desktop.
if(WIN32)
  dl_test_program(install_shortcut_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/shortcut_test.cpp
    LIBS dl_install dl_test_support ole32 uuid shell32 user32)
  dl_add_wine_test(NAME install_shortcut COMMAND install_shortcut_test RESOURCE_LOCK desktop)
endif()
