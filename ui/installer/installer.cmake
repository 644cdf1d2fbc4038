# The installer window: its face, the progress display, the commands, the worker's host, the
# failure notice and the desktop icon tip. The display arithmetic and the folder texts are pure.
list(APPEND DL_UI_INSTALLER_PURE
  installer/progress_display.cpp
  installer/folder_choice_text.cpp)
list(APPEND DL_UI_INSTALLER_WIN
  installer/download_window.cpp
  installer/window_controls.cpp
  installer/window_layout.cpp
  installer/notice_window.cpp
  installer/progress_timers.cpp
  installer/window_commands.cpp
  installer/folder_choice.cpp
  installer/lobby_launch.cpp
  installer/host_requests.cpp
  installer/failure_notice.cpp
  installer/icon_tip.cpp
  installer/text_codepage.cpp)
