// Stand-in for the real lobby inside the test package. It only leaves a note of how it was
// started (command line, working folder, elevation) beside its own exe, so tests can check what
// the downloader launched and how, then ends at once without showing anything.
#include <windows.h>

#include <string>

#include "base/win_handles.h"

namespace {

std::string ToUtf8(const std::wstring& text) {
  if (text.empty()) return {};
  int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                 nullptr, nullptr);
  if (size <= 0) return {};
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], size,
                      nullptr, nullptr);
  return out;
}

// The installed path may be longer than MAX_PATH, so grow until the name fits.
std::wstring ExeFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD got = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
    if (got == 0) return {};
    if (got < path.size()) {
      path.resize(got);
      break;
    }
    path.resize(path.size() * 2);
  }
  size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::wstring CurrentFolder() {
  DWORD needed = GetCurrentDirectoryW(0, nullptr);
  if (needed == 0) return {};
  std::wstring dir(needed, L'\0');
  DWORD got = GetCurrentDirectoryW(needed, &dir[0]);
  if (got == 0 || got >= needed) return {};
  dir.resize(got);
  return dir;
}

// A failed query is reported as such: guessing either way would hide a launch done wrong.
const char* Elevation() {
  HANDLE raw = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return "unknown";
  dl::UniqueHandle token(raw);
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  if (!GetTokenInformation(token.Get(), TokenElevation, &elevation, sizeof(elevation), &size)) {
    return "unknown";
  }
  return elevation.TokenIsElevated ? "1" : "0";
}

bool WriteWhole(const std::wstring& path, const std::string& text) {
  dl::UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD written = 0;
  return WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
         written == text.size();
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  std::wstring folder = ExeFolder();
  if (folder.empty()) return 1;
  std::string note = "command_line=" + ToUtf8(GetCommandLineW()) + "\n";
  note += "cwd=" + ToUtf8(CurrentFolder()) + "\n";
  note += std::string("elevated=") + Elevation() + "\n";
  return WriteWhole(folder + L"\\lobby_ran.txt", note) ? 0 : 1;
}
