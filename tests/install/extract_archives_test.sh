#!/bin/bash
# Makes the extraction tests' archives natively with real tools (Info-ZIP zip, 7z, bsdtar,
# Python's zipfile) in a temporary folder, then runs the wine test program on them.
#
#   extract_archives_test.sh install_extract_test.exe extract_make_archives.py [gtest args]
set -euo pipefail
TEST_EXE=${1:?test program}
MAKER=${2:?archive maker}
shift 2
: "${DL_WINE_RUN:?DL_WINE_RUN must name the wine wrapper}"

for tool in zip 7z bsdtar python3; do
  command -v "$tool" >/dev/null || { echo "$tool is missing (scripts/setup.sh installs it)" >&2; exit 1; }
done
work=$(mktemp -d "${TMPDIR:-/tmp}/dl-extract.XXXXXX")
trap 'rm -rf "$work"' EXIT
# DOS times are local: the tools and the test program share one zone with daylight saving.
export TZ=America/New_York
python3 "$MAKER" "$work"
archives="Z:${work//\//\\}"
DL_EXTRACT_ARCHIVES="$archives" "$DL_WINE_RUN" "$TEST_EXE" "$@"
# Names in any language, under a Chinese (936) and a Western (1252) code page: wine takes the
# code page from LANG when the program starts. The locales are made here: without them wine
# would also store file names on the Linux side in the code page, which no Windows does.
export LOCPATH="$work/locales"
mkdir -p "$LOCPATH"
for page in zh_CN:936 en_US:1252; do
  localedef -i "${page%:*}" -f UTF-8 "$LOCPATH/${page%:*}.UTF-8"
  LANG="${page%:*}.UTF-8" DL_EXPECT_ACP="${page#*:}" DL_EXTRACT_ARCHIVES="$archives" \
    "$DL_WINE_RUN" "$TEST_EXE" --gtest_filter='Extract.NamesInAnyLanguage*'
done
