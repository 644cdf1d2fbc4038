#!/usr/bin/env bash
# The default install base follows drive D: of the prefix: run the check once without a
# D: drive and once with one (a folder linked as dosdevices/d:).
set -eu
test_program="$1"
devices="$DL_BENCH_DIR/wineprefix/dosdevices"
fake_d="$DL_BENCH_DIR/fake-drive-d"
restore=""
if [ -L "$devices/d:" ]; then restore="$(readlink "$devices/d:")"; fi
cleanup() {
  rm -f "$devices/d:"
  if [ -n "$restore" ]; then ln -s "$restore" "$devices/d:"; fi
}
trap cleanup EXIT

rm -f "$devices/d:"
DL_EXPECT_DRIVE=C "$DL_WINE_RUN" "$test_program" --gtest_filter='InstallBase.*'

mkdir -p "$fake_d"
ln -s "$fake_d" "$devices/d:"
DL_EXPECT_DRIVE=D "$DL_WINE_RUN" "$test_program" --gtest_filter='InstallBase.*'
