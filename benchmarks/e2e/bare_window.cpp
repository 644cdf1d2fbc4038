// The yardstick for the installer's first frame: a plain program that shows a 600 x 350
// popup window centred on the screen, fills it with one colour and ends a second later.
// It loads only what any windowed program loads, so the time to its frame is wine's own
// share of a program start.
//
// "bare_window.exe hold" keeps a hidden window until it is killed: wine's desktop process
// stays up meanwhile, as a Windows desktop always is, instead of starting with each program.
#include <windows.h>

namespace {

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(hwnd, &paint);
      HBRUSH brush = CreateSolidBrush(RGB(40, 90, 200));
      FillRect(dc, &paint.rcPaint, brush);
      DeleteObject(brush);
      EndPaint(hwnd, &paint);
      return 0;
    }
    case WM_TIMER:
      DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  const bool hold = lstrcmpA(commandLine, "hold") == 0;
  WNDCLASSW wc = {};
  wc.lpfnWndProc = Proc;
  wc.hInstance = instance;
  wc.lpszClassName = L"BareWindow";
  if (RegisterClassW(&wc) == 0) return 1;
  const int width = 600;
  const int height = 350;
  const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"bare", WS_POPUP | (hold ? 0 : WS_VISIBLE), x,
                              y, width, height, nullptr, nullptr, instance, nullptr);
  if (hwnd == nullptr) return 1;
  if (!hold) SetTimer(hwnd, 1, 1000, nullptr);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  return 0;
}
