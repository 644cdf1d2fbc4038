// Small helpers for tests that drive real programs and files under wine.
#pragma once

#include <windows.h>

#include <string>

namespace dltest {

// Folder of the running test program, with a trailing backslash.
std::wstring ProgramFolder();

// A fresh empty folder under the temp folder (removed first if it exists).
std::wstring FreshTempFolder(const wchar_t* name);

// Deletes a folder tree; missing is fine.
void RemoveTree(const std::wstring& folder);

bool FileExists(const std::wstring& path);
std::string ReadWholeFile(const std::wstring& path);
bool WriteWholeFile(const std::wstring& path, const std::string& bytes);

// A started program; terminated (and waited for) when the object goes away.
class ChildProcess {
 public:
  ChildProcess() = default;
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool Start(const std::wstring& exe, const std::wstring& args = L"",
             const std::wstring& workingDir = L"");
  // Waits for the process to end; false on timeout. exitCode receives the code.
  bool Wait(DWORD ms, DWORD* exitCode);
  // First visible top-level window of the process, waiting up to ms.
  HWND WaitForWindow(DWORD ms, bool mustBeVisible = true);
  void Terminate();
  DWORD id() const { return info_.dwProcessId; }
  HANDLE handle() const { return info_.hProcess; }

 private:
  PROCESS_INFORMATION info_ = {};
};

// Top-level windows of a process (optionally only of one class).
int CountWindowsOf(DWORD processId, const wchar_t* className);

}  // namespace dltest
