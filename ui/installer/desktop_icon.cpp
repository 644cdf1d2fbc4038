#include "ui/installer/desktop_icon.h"

#include <commctrl.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>

#include "base/win_handles.h"
#include "ui/installer/list_view_layout.h"

namespace dl {

// The record of this build's own bitness must match the platform's, field for field; the other
// one is only ever read by a shell of the other bitness.
#if defined(_WIN64)
using OwnRemoteItem = RemoteItem64;
#else
using OwnRemoteItem = RemoteItem32;
static_assert(offsetof(LVITEMA, iIndent) == offsetof(RemoteItem32, indent), "indent");
#endif
static_assert(offsetof(LVITEMA, pszText) == offsetof(OwnRemoteItem, text), "text");
static_assert(offsetof(LVITEMA, cchTextMax) == offsetof(OwnRemoteItem, textCapacity), "capacity");
static_assert(offsetof(LVITEMA, iImage) == offsetof(OwnRemoteItem, image), "image");
static_assert(offsetof(LVITEMA, lParam) == offsetof(OwnRemoteItem, param), "param");
static_assert(sizeof(RECT) == sizeof(RemoteRect), "rectangle");

namespace {

constexpr DWORD kShellAccess =
    PROCESS_QUERY_INFORMATION | PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE;

// Committed read-write memory in another process, released there when the owner goes. The
// process handle is borrowed and must outlive the block.
class RemoteBlock {
 public:
  RemoteBlock(HANDLE process, size_t size)
      : process_(process),
        address_(VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE)),
        size_(address_ != nullptr ? size : 0) {}
  ~RemoteBlock() {
    if (address_ != nullptr) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
  }
  RemoteBlock(const RemoteBlock&) = delete;
  RemoteBlock& operator=(const RemoteBlock&) = delete;
  RemoteBlock(RemoteBlock&& other) noexcept
      : process_(other.process_),
        address_(std::exchange(other.address_, nullptr)),
        size_(std::exchange(other.size_, 0)) {}
  RemoteBlock& operator=(RemoteBlock&&) = delete;

  bool IsValid() const { return address_ != nullptr; }
  void* Address() const { return address_; }
  LPARAM AsParam() const { return reinterpret_cast<LPARAM>(address_); }

  bool Write(size_t offset, const void* data, size_t size) const {
    if (!Fits(offset, size)) return false;
    SIZE_T done = 0;
    return WriteProcessMemory(process_, static_cast<char*>(address_) + offset, data, size, &done) &&
           done == size;
  }
  bool Read(size_t offset, void* data, size_t size) const {
    if (!Fits(offset, size)) return false;
    SIZE_T done = 0;
    return ReadProcessMemory(process_, static_cast<const char*>(address_) + offset, data, size,
                             &done) &&
           done == size;
  }

 private:
  bool Fits(size_t offset, size_t size) const {
    return address_ != nullptr && offset <= size_ && size <= size_ - offset;
  }

  HANDLE process_;
  void* address_;
  size_t size_;
};

bool OwnProcessIsWow64() {
  using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
  HMODULE kernel = GetModuleHandleA("kernel32");
  if (kernel == nullptr) return false;
  // Looked up at run time: systems without the emulation layer lack the export.
  auto isWow64Process = reinterpret_cast<IsWow64ProcessFn>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "IsWow64Process")));
  BOOL wow64 = FALSE;
  return isWow64Process != nullptr && isWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

HWND ListViewOf(HWND defView) { return FindWindowExA(defView, nullptr, "SysListView32", nullptr); }

// With a wallpaper worker the shell moves its view out of "Progman" into a "WorkerW" window
// somewhere in the Z order, not necessarily the first of that class.
HWND FindListViewUnderWorkerW() {
  // Bounds the walk in case windows are reordered under it and it comes round again.
  constexpr int kMaxWindows = 65536;
  HWND window = FindWindowA("WorkerW", nullptr);
  for (int n = 0; window != nullptr && n < kMaxWindows; ++n) {
    HWND defView = FindWindowExA(window, nullptr, "SHELLDLL_DefView", nullptr);
    if (defView != nullptr) return ListViewOf(defView);
    window = GetWindow(window, GW_HWNDNEXT);
  }
  return nullptr;
}

HWND FindListViewUnderProgman() {
  HWND progman = FindWindowA("Progman", "Program Manager");
  if (progman == nullptr) return nullptr;
  HWND defView = FindWindowExA(progman, nullptr, "SHELLDLL_DefView", nullptr);
  return defView != nullptr ? ListViewOf(defView) : nullptr;
}

// Searches the items in index order; fills rect and returns true at the first match.
bool SearchItems(HWND listView, int count, const RemoteBlock& block, size_t textOffset,
                 const char* name, RECT* rect) {
  for (int i = 0; i < count; ++i) {
    SendMessageA(listView, LVM_GETITEMTEXTA, static_cast<WPARAM>(i), block.AsParam());
    // One byte more than the shell's buffer, so the text is terminated whatever it held.
    char text[kRemoteTextCapacity + 1] = {};
    if (!block.Read(textOffset, text, kRemoteTextCapacity)) std::memset(text, 0, sizeof text);
    if (lstrcmpiA(text, name) != 0) continue;

    // left = LVIR_BOUNDS: icon and label together.
    const RemoteRect request = {LVIR_BOUNDS, 0, 0, 0};
    RemoteRect bounds = {};
    if (block.Write(0, &request, sizeof request) &&
        SendMessageA(listView, LVM_GETITEMRECT, static_cast<WPARAM>(i), block.AsParam()) &&
        block.Read(0, &bounds, sizeof bounds)) {
      SetRect(rect, bounds.left, bounds.top, bounds.right, bounds.bottom);
    }
    return true;
  }
  return false;
}

HWND FindDesktopListView() {
  HWND listView = FindListViewUnderWorkerW();
  return listView != nullptr ? listView : FindListViewUnderProgman();
}

}  // namespace

RECT FindDesktopIcon(DebugLog& log, const char* name, HWND* listViewOut) {
  RECT rect = {0, 0, 0, 0};
  HWND listView = FindDesktopListView();
  if (listViewOut != nullptr) *listViewOut = listView;
  if (listView == nullptr) {
    log.Write("hwndSysListView32 = NULL");
    return rect;
  }
  const LRESULT count = SendMessageA(listView, LVM_GETITEMCOUNT, 0, 0);

  DWORD shellId = 0;
  GetWindowThreadProcessId(listView, &shellId);
  UniqueHandle shell(OpenProcess(kShellAccess, FALSE, shellId));
  if (!shell) {
    log.Write("hProcess = NULL");
    return rect;
  }

  const ListViewLayout layout = ChooseListViewLayout(sizeof(void*) == 8, OwnProcessIsWow64());
  const bool wide = layout == ListViewLayout::k64Bit;
  log.Write("IsWow64 = %s", wide ? "true" : "false");

  // Declared after the process handle: the block is released before the handle closes.
  RemoteBlock block(shell.Get(), RemoteBlockSize(layout));
  RemoteItemRecord record = {};
  const bool ready =
      block.IsValid() &&
      BuildRemoteItemRecord(layout, reinterpret_cast<uintptr_t>(block.Address()), &record) &&
      block.Write(0, record.bytes, record.size);
  const int items = count > 0 && count <= INT32_MAX ? static_cast<int>(count) : 0;
  if (!ready || !SearchItems(listView, items, block, record.size, name, &rect)) {
    log.Write("not found %s '%s'", wide ? "x64" : "x32", name);
  }
  return rect;
}

}  // namespace dl
