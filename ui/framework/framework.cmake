# Framework: the skinned window, its painting and input, registry and loop, timers, tray icon,
# the keyboard focus and the accessible object tree.
list(APPEND DL_UI_FRAMEWORK_WIN
  framework/window_registry.cpp
  framework/paint_surface.cpp
  framework/skin_window.cpp
  framework/skin_window_messages.cpp
  framework/skin_window_paint.cpp
  framework/skin_window_dpi.cpp
  framework/window_dpi.cpp
  framework/wndproc_thunk.cpp
  framework/tray_icon.cpp
  framework/tray_messages.cpp
  framework/focus_ring.cpp
  framework/keyboard_focus.cpp
  framework/accessibility.cpp
  framework/accessible_object.cpp)
