// A browser control that records the events its Invoke routes to it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "browser/browser_control.h"

namespace dltest {

class RecordingBrowser : public dl::BrowserControl {
 public:
  using BrowserControl::BrowserControl;

  void BeforeNavigate2(IDispatch* browser, VARIANT* url, VARIANT* flags, VARIANT* targetFrame,
                       VARIANT* postData, VARIANT* headers, VARIANT_BOOL* cancel) override {
    events.push_back("BeforeNavigate2");
    lastBrowser = browser;
    pointers = {url, flags, targetFrame, postData, headers};
    lastCancel = cancel;
    if (url != nullptr && V_VT(url) == VT_BSTR && V_BSTR(url) != nullptr) lastText = V_BSTR(url);
  }
  void NewWindow2(IDispatch** browser, VARIANT_BOOL* cancel) override {
    events.push_back("NewWindow2");
    lastBrowserRef = browser;
    lastCancel = cancel;
  }
  void ProgressChange(long progress, long progressMax) override {
    events.push_back("ProgressChange " + std::to_string(progress) + " " +
                     std::to_string(progressMax));
  }
  void CommandStateChange(long command, VARIANT_BOOL enable) override {
    events.push_back("CommandStateChange " + std::to_string(command) + " " +
                     std::to_string(enable));
  }
  void TitleChange(BSTR text) override {
    events.push_back("TitleChange");
    lastText = text != nullptr ? text : L"(null)";
  }
  void ClientToHostWindow(long* width, long* height) override {
    events.push_back("ClientToHostWindow");
    lastLongs = {width, height};
  }

  std::vector<std::string> events;
  IDispatch* lastBrowser = nullptr;
  IDispatch** lastBrowserRef = nullptr;
  std::vector<VARIANT*> pointers;
  VARIANT_BOOL* lastCancel = nullptr;
  std::vector<long*> lastLongs;
  std::wstring lastText;
};

}  // namespace dltest
