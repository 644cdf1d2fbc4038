#include "app/crash_handler.h"

#include <dbghelp.h>

#include "app/program_path.h"
#include "base/system_library.h"
#include "base/win_handles.h"

namespace dl {

namespace {
decltype(&::MiniDumpWriteDump) g_miniDumpWriteDump = nullptr;
}  // namespace

int InstallCrashHandler() {
  // From the system folder, and kept loaded for the life of the process: the filter may run at
  // any time, static destructors included.
  UniqueModule dbghelp = LoadSystemLibrary(L"dbghelp.dll");
  if (!dbghelp) return 0;
  // Through void*: the platform hands out every export as one generic type.
  g_miniDumpWriteDump = reinterpret_cast<decltype(g_miniDumpWriteDump)>(
      reinterpret_cast<void*>(GetProcAddress(dbghelp.Get(), "MiniDumpWriteDump")));
  if (g_miniDumpWriteDump == nullptr) return 0;
  static_cast<void>(dbghelp.Release());
  SetUnhandledExceptionFilter(CrashFilter);
  return 1;
}

LONG WINAPI CrashFilter(EXCEPTION_POINTERS* pointers) {
  wchar_t module[MAX_PATH] = {};
  DWORD n = GetModuleFileNameW(nullptr, module, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return EXCEPTION_CONTINUE_SEARCH;
  wchar_t path[MAX_PATH];
  if (!SiblingPath(module, L"crash.dat", path, MAX_PATH)) return EXCEPTION_CONTINUE_SEARCH;

  UniqueFile file(
      CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file || g_miniDumpWriteDump == nullptr) return EXCEPTION_CONTINUE_SEARCH;

  MINIDUMP_EXCEPTION_INFORMATION info = {};
  info.ThreadId = GetCurrentThreadId();
  info.ExceptionPointers = pointers;
  info.ClientPointers = TRUE;
  g_miniDumpWriteDump(GetCurrentProcess(), GetCurrentProcessId(), file.Get(), MiniDumpNormal, &info,
                      nullptr, nullptr);
  return EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace dl
