#!/usr/bin/env bash
# All tests: installs what is missing, builds both Windows targets and the native
# sanitizer build, and runs every test (native ones directly, Windows ones under wine).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/setup.sh
zlib=$(bash scripts/setup.sh --print-zlib-dir)

echo "== native build (AddressSanitizer + UBSan)"
cmake --preset native-asan >/dev/null
cmake --build --preset native-asan
ctest --preset native-asan

echo "== i686 release build (compiled and linked; 32-bit programs cannot run here)"
cmake --preset x86-release -DDL_ZLIB_SOURCE_DIR="$zlib" >/dev/null
cmake --build --preset x86-release

echo "== x86_64 release build and its tests under wine"
cmake --preset x64-release -DDL_ZLIB_SOURCE_DIR="$zlib" >/dev/null
cmake --build --preset x64-release
for exe in build/x64-release/bin/downloader.exe build/x86-release/bin/downloader.exe; do
  printf '%s: %s bytes\n' "$exe" "$(stat -c %s "$exe")"
done
OBJDUMP=i686-w64-mingw32-objdump bash scripts/check_imports.sh build/x86-release/bin/downloader.exe
ctest --preset x64-release
