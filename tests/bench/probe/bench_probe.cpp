// A Windows program whose only job is to show that the wine bench behaves as
// the other tests assume: exit codes pass through, crashes end promptly, a
// window reaches the virtual display and the CJK font replacement works.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr wchar_t kClassName[] = L"DlBenchProbe";
constexpr wchar_t kTitle[] = L"dl bench probe";
constexpr int kWindowExitCode = 7;

LRESULT CALLBACK ProbeWndProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      RECT rc;
      GetClientRect(hwnd, &rc);
      SetDCBrushColor(dc, RGB(255, 0, 0));
      FillRect(dc, &rc, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_TIMER:
      DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(kWindowExitCode);
      return 0;
    default:
      return DefWindowProcW(hwnd, msg, wparam, lparam);
  }
}

// Shows a solid red window for `ms` milliseconds; exits 7 when it went well.
int ShowWindowFor(UINT ms) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = ProbeWndProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = kClassName;
  if (!RegisterClassW(&wc)) return 20;
  HWND hwnd = CreateWindowExW(0, kClassName, kTitle, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 320,
                              240, nullptr, nullptr, wc.hInstance, nullptr);
  if (!hwnd) return 21;
  if (!SetTimer(hwnd, 1, ms, nullptr)) return 22;
  MSG msg;
  BOOL got;
  while ((got = GetMessageW(&msg, nullptr, 0, 0)) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return got < 0 ? 23 : static_cast<int>(msg.wParam);
}

class MemoryDc {
 public:
  MemoryDc() : dc_(CreateCompatibleDC(nullptr)) {}
  ~MemoryDc() {
    if (dc_) DeleteDC(dc_);
  }
  MemoryDc(const MemoryDc&) = delete;
  MemoryDc& operator=(const MemoryDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HDC dc_;
};

class Font {
 public:
  explicit Font(const wchar_t* face)
      : font_(CreateFontW(-16, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                          OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH,
                          face)) {}
  ~Font() {
    if (font_) DeleteObject(font_);
  }
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;
  HFONT get() const { return font_; }

 private:
  HFONT font_;
};

// Exits 0 when the face, as the product's dialogs ask for it, has a glyph for
// a Chinese character; wine's fallback fonts have none.
int CheckCjkFace(const wchar_t* face) {
  MemoryDc dc;
  Font font(face);
  if (!dc.get() || !font.get()) return 30;
  HGDIOBJ old = SelectObject(dc.get(), font.get());
  WORD glyph = 0xffff;
  const wchar_t kZhong[] = L"\u4e2d";
  DWORD n = GetGlyphIndicesW(dc.get(), kZhong, 1, &glyph, GGI_MARK_NONEXISTING_GLYPHS);
  SelectObject(dc.get(), old);
  if (n == GDI_ERROR) return 31;
  return glyph == 0xffff ? 32 : 0;
}

[[noreturn]] void CrashOnNull() {
  std::puts("probe: writing through a null pointer");
  std::fflush(stdout);
  volatile int* volatile target = nullptr;
  *target = 1;
  std::abort();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 3 && std::strcmp(argv[1], "exit") == 0) return std::atoi(argv[2]);
  if (argc >= 2 && std::strcmp(argv[1], "crash") == 0) CrashOnNull();
  if (argc >= 3 && std::strcmp(argv[1], "window") == 0) {
    return ShowWindowFor(static_cast<UINT>(std::strtoul(argv[2], nullptr, 10)));
  }
  if (argc >= 2 && std::strcmp(argv[1], "cjk-font") == 0) {
    const wchar_t* const kFaces[] = {L"\u5fae\u8f6f\u96c5\u9ed1", L"\u5b8b\u4f53",
                                     L"\u65b0\u5b8b\u4f53"};
    for (const wchar_t* face : kFaces) {
      if (int rc = CheckCjkFace(face)) return rc;
    }
    return 0;
  }
  std::fprintf(stderr, "usage: bench_probe exit N | crash | window MS | cjk-font\n");
  return 2;
}
