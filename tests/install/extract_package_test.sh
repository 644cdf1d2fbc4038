#!/bin/bash
# Extracts the project's test package under wine into a native folder and compares the tree
# with what Info-ZIP unzip makes of the same package. Exits 77 (skipped) when the package is
# not part of this build.
#
#   extract_package_test.sh install_extract_test.exe PACKAGE.zip
set -euo pipefail
TEST_EXE=${1:?test program}
PACKAGE=${2:-}
: "${DL_WINE_RUN:?DL_WINE_RUN must name the wine wrapper}"

if [ -z "$PACKAGE" ] || [ ! -f "$PACKAGE" ]; then
  echo "SKIPPED: the test package ${PACKAGE:-of tests/package} is not built (target test_package)"
  exit 77
fi
work=$(mktemp -d "${TMPDIR:-/tmp}/dl-extract-package.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/ours" "$work/reference"
DL_EXTRACT_PACKAGE="Z:${PACKAGE//\//\\}" DL_EXTRACT_OUT="Z:${work//\//\\}\\ours" \
  "$DL_WINE_RUN" "$TEST_EXE" --gtest_filter='ExtractTestPackage.*'
unzip -q "$PACKAGE" -d "$work/reference"
diff -r "$work/reference" "$work/ours"
echo "the extracted tree matches unzip's"
