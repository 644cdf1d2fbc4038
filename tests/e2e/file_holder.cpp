// Holds one file open the way a running program holds its own exe: others may read (and so
// start) it, nobody may write or replace it. The end-to-end tests use it where wine does not
// lock a running program's image.
//
//   file_holder.exe PATH READY_FILE [SECONDS]
//
// Writes READY_FILE once the file is held, then holds it until killed or SECONDS (default 120)
// have passed, so a forgotten holder cannot outlive a test run for long.
// Exit codes: 0 held and released, 2 bad arguments, 3 the file could not be opened,
// 4 READY_FILE could not be written.
#include <windows.h>

#include <cstdlib>

#include "base/win_handles.h"

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  const DWORD seconds = argc > 3 ? static_cast<DWORD>(std::strtoul(argv[3], nullptr, 10)) : 120;
  dl::UniqueFile held(CreateFileA(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!held) return 3;
  {
    dl::UniqueFile ready(CreateFileA(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!ready) return 4;
  }
  Sleep(seconds * 1000);
  return 0;
}
