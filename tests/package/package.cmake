# The test package the downloader fetches and unpacks: a stand-in lobby program inside a zip
# shaped like the real client's. Included from tests/CMakeLists.txt on Windows builds.
find_package(Python3 REQUIRED COMPONENTS Interpreter)

add_executable(lobby WIN32 ${CMAKE_CURRENT_LIST_DIR}/lobby/lobby.cpp)
target_link_libraries(lobby PRIVATE dl_base advapi32)

set(DL_TEST_PACKAGE "${CMAKE_BINARY_DIR}/package/rolk_lobby_full.zip" CACHE INTERNAL "")
add_custom_command(OUTPUT "${DL_TEST_PACKAGE}"
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/make_package.py
          --lobby $<TARGET_FILE:lobby> --out "${DL_TEST_PACKAGE}"
  DEPENDS ${CMAKE_CURRENT_LIST_DIR}/make_package.py lobby
  COMMENT "Making the test package rolk_lobby_full.zip"
  VERBATIM)
add_custom_target(test_package ALL DEPENDS "${DL_TEST_PACKAGE}")

dl_add_bench_script_test(NAME package.lobby_runs
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/package_test.sh "${DL_TEST_PACKAGE}" $<TARGET_FILE:lobby>
          ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/make_package.py
  TIMEOUT 180)
