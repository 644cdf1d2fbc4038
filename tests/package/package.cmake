# The lobby package the tests and the demo install: a small stand-in lobby program and a zip
# of a few hundred files around it, made at build time.
set(_dl_package_dir "${CMAKE_CURRENT_LIST_DIR}")

add_executable(lobby WIN32 "${_dl_package_dir}/lobby/lobby.cpp")
target_link_libraries(lobby PRIVATE dl_base advapi32)
target_link_options(lobby PRIVATE -static -static-libgcc -static-libstdc++)

set(DL_TEST_PACKAGE "${CMAKE_BINARY_DIR}/package/rolk_lobby_full.zip" CACHE INTERNAL
    "The generated lobby package")
add_custom_command(OUTPUT "${DL_TEST_PACKAGE}"
  COMMAND python3 "${_dl_package_dir}/make_package.py" --lobby "$<TARGET_FILE:lobby>"
          --out "${DL_TEST_PACKAGE}"
  DEPENDS lobby "${_dl_package_dir}/make_package.py"
  COMMENT "Making the test lobby package"
  VERBATIM)
add_custom_target(test_package ALL DEPENDS "${DL_TEST_PACKAGE}")

dl_add_bench_script_test(NAME package.lobby_runs
  COMMAND "${_dl_package_dir}/package_test.sh" "${DL_TEST_PACKAGE}"
  TIMEOUT 120)
