/* Stands in for a file left in a download folder under a system library's name: when anything
   loads it, it appends its own file name to planted_ran.txt in its folder. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
  (void)reserved;
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  WCHAR path[MAX_PATH];
  DWORD n = GetModuleFileNameW(self, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return TRUE;
  WCHAR* slash = wcsrchr(path, L'\\');
  if (slash == NULL || (slash - path) + 17 >= MAX_PATH) return TRUE;
  char name[MAX_PATH];
  int length = WideCharToMultiByte(CP_UTF8, 0, slash + 1, -1, name, MAX_PATH, NULL, NULL);
  lstrcpyW(slash + 1, L"planted_ran.txt");
  HANDLE marker = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
  if (marker == INVALID_HANDLE_VALUE || length <= 0) return TRUE;
  name[length - 1] = '\n';
  DWORD written = 0;
  WriteFile(marker, name, (DWORD)length, &written, NULL);
  CloseHandle(marker);
  return TRUE;
}
