// Everything visible inside a skinned window is a Control: a rectangle in the window's client
// coordinates that draws one frame of its image, takes mouse input and the keyboard focus, owns
// its children and passes its events up the tree. Controls are not native windows; the window
// that roots the tree paints them into its surface and routes its input to them.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "ui/controls/control_events.h"

// The drawing library's graphics object of one paint; MinGW's headers declare the library's
// handle types inside its namespace.
namespace Gdiplus {
class GpGraphics;
}

namespace dl {

using GpGraphics = Gdiplus::GpGraphics;
class SkinImage;

class Control {
 public:
  // Explicit rectangle (relative to the parent); the image frame is scaled to it.
  Control(const RECT& rect, const wchar_t* imageName, Control* parent, int id, HWND hwnd,
          const wchar_t* resourceType, HMODULE module);
  // Natural size at (x, y) relative to the parent: the rectangle takes the image's size.
  Control(int x, int y, const wchar_t* imageName, Control* parent, int id, HWND hwnd,
          const wchar_t* resourceType, HMODULE module);
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  // The virtual operations, in their fixed order.
  virtual ~Control();
  virtual void Show(int show);
  virtual void Enable(int enable);
  virtual void SetNotify(int on, int recursive);
  virtual void SetFrameGrid(unsigned cols, unsigned rows);
  virtual void GetFrameGrid(unsigned* cols, unsigned* rows);
  virtual void SetFrame(int col, int row);
  virtual void GetFrame(int* col, int* row);
  virtual void SetAlpha(unsigned alpha);
  virtual void GetAlpha(unsigned* alpha);
  virtual void SetMirror(int x, int y);
  virtual void GetMirror(int* x, int* y);
  virtual void SetCursorHandle(HCURSOR cursor);
  virtual void GetCursorHandle(HCURSOR* cursor);
  virtual LRESULT RequestFocus();
  virtual int HasFocus();
  virtual int IsVisible();
  virtual int IsEnabled();
  virtual int IsStretched();
  virtual int ForwardsToParent();
  virtual int Contains(Control* other);
  virtual HWND GetHwnd();
  virtual void DeleteLater();
  virtual void Invalidate(const RECT* area, int erase);
  // newRect and the result are relative to the parent.
  virtual RECT Move(const RECT* newRect, int stretch);
  virtual RECT GetRect();
  virtual Control* HitTest(int x, int y);
  virtual Control* SetParent(Control* newParent);
  virtual Control* GetFocusedControl();
  virtual void SetName(const wchar_t* name);
  virtual const wchar_t* GetName();
  virtual int GetId();
  virtual void Paint(GpGraphics* graphics, const RECT* clip);
  virtual void DrawSelf(GpGraphics* graphics);
  virtual LRESULT OnMouseEnter(WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnMouseMove(WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnMouseHover(WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnMouseLeave(WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnLButtonDown(WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnLButtonUp(WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnLButtonDblClk(WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnRButtonDown(WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnRButtonUp(WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnRButtonDblClk(WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnMButtonDown(WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnMButtonUp(WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnMButtonDblClk(WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnMouseWheel(WPARAM wParam, LPARAM lParam);
  virtual int ApplyCursor();
  virtual LRESULT OnSetFocus();
  virtual LRESULT OnKillFocus();
  virtual LRESULT Notify(ControlEvent* event, Control* source);
  virtual int FilterMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);
  // After the window moved to a display of another density: a control that owns a native window
  // places it again. The tree's own rectangles stay in layout units and need nothing.
  virtual void OnDpiChanged();

  // The density the control's window is drawn at (the root's), 96 outside a window. Rectangles
  // of the tree are layout units of 96 DPI; drawing and the native window are in device pixels.
  unsigned Dpi() const;

  Control* parent() const { return parent_; }
  const std::vector<Control*>& children() const { return children_; }
  SkinImage* image() const { return image_.get(); }

 protected:
  // Raises an event to the parent when the control forwards; the parent's answer, else 0.
  LRESULT Raise(int32_t code, WPARAM wParam, LPARAM lParam);
  // Sends a WM_CONTROL_REQUEST about this control to the window.
  LRESULT Request(unsigned what);

  HWND hwnd_ = nullptr;
  std::vector<Control*> children_;  // owned; insertion order
  std::unique_ptr<wchar_t[]> name_;
  Control* parent_ = nullptr;
  std::unique_ptr<SkinImage> image_;
  int enabled_ = 1;
  int visible_ = 1;
  int notify_ = 0;
  int mirrorX_ = 0;
  int mirrorY_ = 0;
  int stretch_ = 1;
  RECT rect_ = {};
  int id_ = 0;
  unsigned frameCols_ = 1;
  unsigned frameRows_ = 1;
  int frameCol_ = 0;
  int frameRow_ = 0;
  unsigned alpha_ = 255;
  HCURSOR cursor_ = nullptr;
  unsigned dpi_ = 96;  // set on the root by its window; Dpi() reads the root's

 private:
  // (LoadImage would collide with the Win32 macro of that name.)
  void LoadSkin(const wchar_t* imageName, const wchar_t* resourceType, HMODULE module);
  void Attach(Control* parent);
};

}  // namespace dl
