// Builds the window arrangement of a shell's desktop in a process of its own, with a real
// list view holding the given item texts, and reports what that list view itself says about
// its items, so the search across the process boundary can be compared with it.
//
//   fake_desktop.exe ARRANGEMENT REPORT-FILE [ITEM-TEXT...]
//
// ARRANGEMENT, top of the Z order first:
//   progman         "Progman" > "SHELLDLL_DefView" > "SysListView32"
//   workerw         an empty "WorkerW", an unrelated window, "WorkerW" > view > list view,
//                   "Progman" without a view
//   workerw-noview  "WorkerW" > view without a list view, "Progman" > view > list view
//   nolist          "WorkerW" without a view, "Progman" > view without a list view
//
// The report (written once all windows exist, renamed into place so it appears whole):
//   pid N / listview HANDLE (0 when none) / item INDEX LEFT TOP RIGHT BOTTOM per item.
// Every window carries the property "dl_fake_desktop", so a test can tell them from a shell's.
// The process ends by itself after a minute in case its test never ends it.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr char kMark[] = "dl_fake_desktop";
constexpr UINT_PTR kLifetimeTimer = 1;

LRESULT CALLBACK PlainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIMER && wParam == kLifetimeTimer) PostQuitMessage(3);
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

bool Register(const char* className) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = PlainProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = className;
  return RegisterClassA(&wc) != 0;
}

// Hidden, like nothing on the test display; Z order and the list view work all the same.
HWND Make(const char* className, const char* title, HWND parent, int x, int y) {
  const DWORD style = parent != nullptr ? WS_CHILD : WS_POPUP;
  HWND hwnd = CreateWindowExA(0, className, title, style, x, y, 1000, 700, parent, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  if (hwnd != nullptr) SetPropA(hwnd, kMark, reinterpret_cast<HANDLE>(1));
  return hwnd;
}

// A non-zero client origin, so client and screen coordinates of the items differ.
HWND MakeListView(HWND defView, int argc, char** argv, int first) {
  HWND list = CreateWindowExA(0, WC_LISTVIEWA, "FolderView", WS_CHILD | WS_VISIBLE | LVS_ICON, 30,
                              20, 900, 600, defView, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (list == nullptr) return nullptr;
  SetPropA(list, kMark, reinterpret_cast<HANDLE>(1));
  for (int i = first; i < argc; ++i) {
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = i - first;
    item.pszText = argv[i];
    if (SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)) != i - first) {
      return nullptr;
    }
    // Spread out, so every item has bounds of its own.
    const int n = i - first;
    SendMessageA(list, LVM_SETITEMPOSITION, static_cast<WPARAM>(n),
                 MAKELPARAM(40 + 110 * (n % 6), 30 + 120 * (n / 6)));
  }
  return list;
}

bool WriteReport(const char* path, HWND list) {
  std::string text = "pid " + std::to_string(GetCurrentProcessId()) + "\n";
  text += "listview " + std::to_string(reinterpret_cast<UINT_PTR>(list)) + "\n";
  const int count =
      list != nullptr ? static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)) : 0;
  for (int i = 0; i < count; ++i) {
    RECT r = {};
    r.left = LVIR_BOUNDS;
    if (!SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r)))
      return false;
    char line[128];
    std::snprintf(line, sizeof line, "item %d %ld %ld %ld %ld\n", i, r.left, r.top, r.right,
                  r.bottom);
    text += line;
  }
  const std::string temp = std::string(path) + ".tmp";
  FILE* f = std::fopen(temp.c_str(), "wb");
  if (f == nullptr) return false;
  const bool written = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  if (std::fclose(f) != 0 || !written) return false;
  return MoveFileExA(temp.c_str(), path, MOVEFILE_REPLACE_EXISTING) != 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: fake_desktop ARRANGEMENT REPORT-FILE [ITEM-TEXT...]\n");
    return 2;
  }
  const std::string arrangement = argv[1];
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
  if (!InitCommonControlsEx(&controls)) return 4;
  if (!Register("Progman") || !Register("WorkerW") || !Register("SHELLDLL_DefView") ||
      !Register("FakeDesktopOther")) {
    return 4;
  }

  // A new top-level window goes on top of the Z order, so each arrangement is made bottom up.
  bool made = true;
  auto need = [&made](HWND hwnd) {
    made = made && hwnd != nullptr;
    return hwnd;
  };
  HWND list = nullptr;
  HWND progman = need(Make("Progman", "Program Manager", nullptr, 100, 50));
  if (arrangement == "progman") {
    HWND view = need(Make("SHELLDLL_DefView", "", progman, 0, 0));
    list = need(MakeListView(view, argc, argv, 3));
  } else if (arrangement == "workerw") {
    HWND worker = need(Make("WorkerW", "", nullptr, 100, 50));
    HWND view = need(Make("SHELLDLL_DefView", "", worker, 0, 0));
    list = need(MakeListView(view, argc, argv, 3));
    need(Make("FakeDesktopOther", "", nullptr, 0, 0));
    need(Make("WorkerW", "", nullptr, 0, 0));
  } else if (arrangement == "workerw-noview") {
    HWND view = need(Make("SHELLDLL_DefView", "", progman, 0, 0));
    list = need(MakeListView(view, argc, argv, 3));
    HWND worker = need(Make("WorkerW", "", nullptr, 0, 0));
    need(Make("SHELLDLL_DefView", "", worker, 0, 0));
  } else if (arrangement == "nolist") {
    need(Make("SHELLDLL_DefView", "", progman, 0, 0));
    need(Make("WorkerW", "", nullptr, 0, 0));
  } else {
    std::fprintf(stderr, "fake_desktop: unknown arrangement '%s'\n", arrangement.c_str());
    return 2;
  }
  if (!made) return 4;
  SetTimer(progman, kLifetimeTimer, 60000, nullptr);
  if (!WriteReport(argv[2], list)) return 5;

  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}
