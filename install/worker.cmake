# The install worker: its decisions (pure) and the run of one installation attempt (Windows),
# which brings the download, the extraction, the shortcut and the reports together.
list(APPEND DL_INSTALL_PURE worker_rules.cpp)
if(WIN32)
  list(APPEND DL_INSTALL_WIN install_worker.cpp)
  list(APPEND DL_INSTALL_LIBS dl_net shell32)
endif()
