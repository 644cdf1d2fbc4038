#include "tests/support/win_test_util.h"

#include <shellapi.h>

#include <vector>

namespace dltest {

std::wstring ProgramFolder() {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring p(path, n);
  return p.substr(0, p.rfind(L'\\') + 1);
}

void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring full = folder + L"\\" + name;
      SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(full);
      } else {
        DeleteFileW(full.c_str());
      }
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  RemoveDirectoryW(folder.c_str());
}

std::wstring FreshTempFolder(const wchar_t* name) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  std::wstring folder = std::wstring(temp) + name;
  RemoveTree(folder);
  CreateDirectoryW(folder.c_str(), nullptr);
  return folder;
}

bool FileExists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadWholeFile(const std::wstring& path) {
  HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return {};
  std::string out;
  char buf[65536];
  DWORD got = 0;
  while (ReadFile(f, buf, sizeof buf, &got, nullptr) && got > 0) out.append(buf, got);
  CloseHandle(f);
  return out;
}

bool WriteWholeFile(const std::wstring& path, const std::string& bytes) {
  HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD put = 0;
  BOOL ok = WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
  CloseHandle(f);
  return ok && put == bytes.size();
}

ChildProcess::~ChildProcess() { Terminate(); }

bool ChildProcess::Start(const std::wstring& exe, const std::wstring& args,
                         const std::wstring& workingDir) {
  std::wstring command = L"\"" + exe + L"\"";
  if (!args.empty()) command += L" " + args;
  std::vector<wchar_t> line(command.begin(), command.end());
  line.push_back(L'\0');
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  return CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        workingDir.empty() ? nullptr : workingDir.c_str(), &si, &info_) == TRUE;
}

bool ChildProcess::Wait(DWORD ms, DWORD* exitCode) {
  if (info_.hProcess == nullptr) return false;
  if (WaitForSingleObject(info_.hProcess, ms) != WAIT_OBJECT_0) return false;
  if (exitCode) GetExitCodeProcess(info_.hProcess, exitCode);
  return true;
}

namespace {
struct FindState {
  DWORD pid;
  bool visible;
  const wchar_t* className;
  HWND found;
  int count;
};

BOOL CALLBACK FindProc(HWND hwnd, LPARAM param) {
  auto* state = reinterpret_cast<FindState*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != state->pid) return TRUE;
  if (state->visible && !IsWindowVisible(hwnd)) return TRUE;
  if (state->className) {
    wchar_t name[256] = {};
    GetClassNameW(hwnd, name, 256);
    if (wcscmp(name, state->className) != 0) return TRUE;
  }
  if (!state->found) state->found = hwnd;
  ++state->count;
  return TRUE;
}
}  // namespace

HWND ChildProcess::WaitForWindow(DWORD ms, bool mustBeVisible) {
  DWORD start = GetTickCount();
  for (;;) {
    FindState state = {info_.dwProcessId, mustBeVisible, nullptr, nullptr, 0};
    EnumWindows(FindProc, reinterpret_cast<LPARAM>(&state));
    if (state.found) return state.found;
    if (GetTickCount() - start > ms) return nullptr;
    if (WaitForSingleObject(info_.hProcess, 50) == WAIT_OBJECT_0) return nullptr;
  }
}

void ChildProcess::Terminate() {
  if (info_.hProcess != nullptr) {
    TerminateProcess(info_.hProcess, 1);
    WaitForSingleObject(info_.hProcess, 5000);
    CloseHandle(info_.hProcess);
    CloseHandle(info_.hThread);
    info_ = {};
  }
}

int CountWindowsOf(DWORD processId, const wchar_t* className) {
  FindState state = {processId, false, className, nullptr, 0};
  EnumWindows(FindProc, reinterpret_cast<LPARAM>(&state));
  return state.count;
}

}  // namespace dltest
