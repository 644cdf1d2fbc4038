# The installer window: its face, the progress display, the commands, what the installation
# reports, the failure notice and the desktop icon tip with its search for the icon, its keyboard
# stops, accessible children and taskbar progress. The display arithmetic, the time left and the
# folder texts are pure.
list(APPEND DL_UI_INSTALLER_PURE
  installer/progress_display.cpp
  installer/folder_choice_text.cpp
  installer/list_view_layout.cpp
  installer/remaining_time.cpp)
list(APPEND DL_UI_INSTALLER_WIN
  installer/download_window.cpp
  installer/window_controls.cpp
  installer/window_layout.cpp
  installer/notice_window.cpp
  installer/progress_timers.cpp
  installer/window_commands.cpp
  installer/folder_choice.cpp
  installer/lobby_launch.cpp
  installer/install_events.cpp
  installer/failure_notice.cpp
  installer/icon_tip.cpp
  installer/desktop_icon.cpp
  installer/window_messages.cpp
  installer/window_access.cpp
  installer/remaining_display.cpp
  installer/taskbar_progress.cpp)
