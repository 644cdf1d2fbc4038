// What the browser host tests share: OLE on the test thread, a plain native window to host the
// browser, a stand-in for a system without a web browser object, and window read-backs.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <memory>

namespace dltest {

// OLE initialised on the calling thread for one scope.
class OleSession {
 public:
  OleSession() : ok_(SUCCEEDED(OleInitialize(nullptr))) {}
  ~OleSession() {
    if (ok_) OleUninitialize();
  }
  OleSession(const OleSession&) = delete;
  OleSession& operator=(const OleSession&) = delete;
  bool ok() const { return ok_; }

 private:
  bool ok_;
};

// A hidden top-level native window at (0, 0), 600 x 350, destroyed with the object.
class HostWindow {
 public:
  HostWindow();
  ~HostWindow();
  HostWindow(const HostWindow&) = delete;
  HostWindow& operator=(const HostWindow&) = delete;
  HWND hwnd() const { return hwnd_; }

 private:
  HWND hwnd_ = nullptr;
};

// While it lives, the calling thread's apartment makes web browser objects through a class
// object that answers every request with `result` and no object: a system without one.
class MissingBrowserEngine {
 public:
  explicit MissingBrowserEngine(HRESULT result);
  ~MissingBrowserEngine();
  MissingBrowserEngine(const MissingBrowserEngine&) = delete;
  MissingBrowserEngine& operator=(const MissingBrowserEngine&) = delete;
  bool registered() const { return cookie_ != 0; }

 private:
  class Factory;
  std::unique_ptr<Factory> factory_;
  DWORD cookie_ = 0;
};

int CountChildWindows(HWND parent);
// child's window rectangle in parent's client coordinates.
RECT ChildRect(HWND parent, HWND child);
// Dispatches everything queued for the thread, for ms milliseconds.
void PumpFor(DWORD ms);

inline bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

}  // namespace dltest
