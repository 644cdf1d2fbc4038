#include "ui/controls/control.h"

#include <windows.h>

#include <gdiplus.h>

#include <algorithm>
#include <cstring>
#include <deque>

#include "ui/controls/device_rect.h"
#include "ui/controls/image_draw.h"
#include "ui/controls/skin_image.h"

namespace dl {

namespace {

void Shift(RECT* rect, LONG dx, LONG dy) {
  rect->left += dx;
  rect->top += dy;
  rect->right += dx;
  rect->bottom += dy;
}

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// right = left + width / parts, in unsigned arithmetic as the grid is unsigned.
LONG ShrunkEdge(LONG low, LONG high, unsigned parts) {
  const uint32_t extent = static_cast<uint32_t>(high) - static_cast<uint32_t>(low);
  return static_cast<LONG>(static_cast<uint32_t>(low) + extent / parts);
}

}  // namespace

Control::Control(const RECT& rect, const wchar_t* imageName, Control* parent, int id, HWND hwnd,
                 const wchar_t* resourceType, HMODULE module)
    : hwnd_(hwnd), parent_(nullptr), stretch_(1), rect_(rect), id_(id) {
  LoadSkin(imageName, resourceType, module);
  Attach(parent);
}

Control::Control(int x, int y, const wchar_t* imageName, Control* parent, int id, HWND hwnd,
                 const wchar_t* resourceType, HMODULE module)
    : hwnd_(hwnd), parent_(nullptr), stretch_(0), id_(id) {
  LoadSkin(imageName, resourceType, module);
  rect_ = {x, y, 0, 0};
  if (image_) {
    rect_.right = x + static_cast<LONG>(image_->Width());
    rect_.bottom = y + static_cast<LONG>(image_->Height());
  } else if (parent != nullptr) {
    // Shifted by the parent's origin below, this reaches the parent's right and bottom edges.
    rect_.right = parent->rect_.right - parent->rect_.left;
    rect_.bottom = parent->rect_.bottom - parent->rect_.top;
  }
  Attach(parent);
}

void Control::LoadSkin(const wchar_t* imageName, const wchar_t* resourceType, HMODULE module) {
  if (imageName == nullptr) return;
  if (resourceType != nullptr) {
    image_ = LoadSkinImageFromResource(module, resourceType, imageName);
  } else {
    image_ = LoadSkinImageFromFile(imageName);
  }
}

void Control::Attach(Control* parent) {
  if (parent != nullptr) {
    parent_ = parent;
    parent->children_.push_back(this);
    hwnd_ = parent->hwnd_;
    Shift(&rect_, parent->rect_.left, parent->rect_.top);
  }
  Control::Invalidate(nullptr, 0);
}

Control::~Control() {
  // Each child takes itself off this list as it goes.
  while (!children_.empty()) delete children_.front();
  if (parent_ != nullptr) {
    auto& siblings = parent_->children_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
  }
  Request(CR_RELEASE);
  Control::Invalidate(nullptr, 0);
}

void Control::Show(int show) {
  if (show == visible_) return;
  if (!children_.empty()) {
    // Hiding or showing a group starts every animation in it over.
    std::deque<Control*> queue{this};
    while (!queue.empty()) {
      Control* control = queue.front();
      queue.pop_front();
      control->SetFrame(0, 0);
      queue.insert(queue.end(), control->children_.begin(), control->children_.end());
    }
  }
  visible_ = show;
  Invalidate(nullptr, 0);
  Request(CR_RELEASE);
  Raise(CN_SHOWCHANGED, 0, show);
}

void Control::Enable(int enable) {
  if (enable == enabled_) return;
  enabled_ = enable;
  Invalidate(nullptr, 0);
  Request(CR_RELEASE);
  Raise(CN_ENABLECHANGED, 0, enable);
}

void Control::SetNotify(int on, int recursive) {
  // The root has nobody to pass events to.
  if (parent_ == nullptr) return;
  notify_ = on;
  if (recursive != 1) return;
  for (size_t i = 0; i < children_.size(); ++i) children_[i]->SetNotify(on, 1);
}

void Control::SetFrameGrid(unsigned cols, unsigned rows) {
  frameCols_ = cols == 0 ? 1 : cols;
  frameRows_ = rows == 0 ? 1 : rows;
  rect_.right = ShrunkEdge(rect_.left, rect_.right, frameCols_);
  rect_.bottom = ShrunkEdge(rect_.top, rect_.bottom, frameRows_);
}

void Control::GetFrameGrid(unsigned* cols, unsigned* rows) {
  if (cols != nullptr) *cols = frameCols_;
  if (rows != nullptr) *rows = frameRows_;
}

void Control::SetFrame(int col, int row) {
  if (col == frameCol_ && row == frameRow_) return;
  frameCol_ = col;
  frameRow_ = row;
  Invalidate(nullptr, 0);
}

void Control::GetFrame(int* col, int* row) {
  if (col != nullptr) *col = frameCol_;
  if (row != nullptr) *row = frameRow_;
}

void Control::SetAlpha(unsigned alpha) {
  if (alpha == alpha_) return;
  alpha_ = std::min(alpha, 255u);
  Invalidate(nullptr, 0);
}

void Control::GetAlpha(unsigned* alpha) {
  if (alpha != nullptr) *alpha = alpha_;
}

void Control::SetMirror(int x, int y) {
  if (x == mirrorX_ && y == mirrorY_) return;
  mirrorX_ = x;
  mirrorY_ = y;
  Invalidate(nullptr, 0);
}

void Control::GetMirror(int* x, int* y) {
  if (x != nullptr) *x = mirrorX_;
  if (y != nullptr) *y = mirrorY_;
}

void Control::SetCursorHandle(HCURSOR cursor) { cursor_ = cursor; }

void Control::GetCursorHandle(HCURSOR* cursor) {
  if (cursor != nullptr) *cursor = cursor_;
}

LRESULT Control::RequestFocus() { return Request(CR_FOCUS); }

int Control::HasFocus() { return GetFocusedControl() == this ? 1 : 0; }

int Control::IsVisible() { return visible_; }

int Control::IsEnabled() { return enabled_; }

int Control::IsStretched() { return stretch_; }

int Control::ForwardsToParent() { return parent_ != nullptr && notify_ == 1 ? 1 : 0; }

int Control::Contains(Control* other) {
  if (other == nullptr) return 0;
  for (size_t i = children_.size(); i-- > 0;) {
    if (children_[i] == other || children_[i]->Contains(other)) return 1;
  }
  return 0;
}

HWND Control::GetHwnd() { return hwnd_; }

void Control::DeleteLater() { Request(CR_DELETELATER); }

void Control::Invalidate(const RECT* area, int erase) {
  const RECT& wanted = area != nullptr ? *area : rect_;
  const RECT& bounds = parent_ != nullptr ? parent_->rect_ : rect_;
  RECT dirty;
  if (!IntersectRect(&dirty, &wanted, &bounds)) return;
  // Without a window there is nothing to repaint (a null handle would mean every window).
  if (hwnd_ == nullptr) return;
  const RECT device = DeviceRect(dirty, Dpi());
  InvalidateRect(hwnd_, &device, erase);
}

RECT Control::Move(const RECT* newRect, int stretch) {
  RECT old = rect_;
  if (parent_ != nullptr) Shift(&old, -parent_->rect_.left, -parent_->rect_.top);
  if (newRect == nullptr || (SameRect(*newRect, old) && stretch == stretch_)) return old;

  const RECT prev = rect_;
  stretch_ = stretch;
  rect_ = *newRect;
  if (parent_ != nullptr) Shift(&rect_, parent_->rect_.left, parent_->rect_.top);
  RECT both;
  UnionRect(&both, &prev, &rect_);
  Invalidate(&both, 0);

  for (size_t i = 0; i < children_.size(); ++i) {
    Control* child = children_[i];
    RECT relative = child->rect_;
    Shift(&relative, -prev.left, -prev.top);
    child->Move(&relative, child->IsStretched());
  }
  return old;
}

RECT Control::GetRect() { return rect_; }

Control* Control::HitTest(int x, int y) {
  if (visible_ != 1 || enabled_ != 1) return nullptr;
  const RECT& bounds = parent_ != nullptr ? parent_->rect_ : rect_;
  RECT area;
  if (!IntersectRect(&area, &bounds, &rect_)) return nullptr;
  if (!PtInRect(&area, POINT{x, y})) return nullptr;
  for (size_t i = children_.size(); i-- > 0;) {
    if (Control* hit = children_[i]->HitTest(x, y)) return hit;
  }
  return this;
}

Control* Control::SetParent(Control* newParent) {
  Control* old = parent_;
  if (newParent == nullptr) return old;
  if (old != nullptr) {
    Shift(&rect_, -old->rect_.left, -old->rect_.top);
    auto& siblings = old->children_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
  }
  parent_ = newParent;
  newParent->children_.push_back(this);
  hwnd_ = newParent->hwnd_;
  Shift(&rect_, newParent->rect_.left, newParent->rect_.top);
  return old;
}

Control* Control::GetFocusedControl() {
  if (hwnd_ == nullptr) return nullptr;
  return reinterpret_cast<Control*>(SendMessageA(hwnd_, WM_CONTROL_REQUEST, CR_GETFOCUS, 1));
}

void Control::SetName(const wchar_t* name) {
  name_.reset();
  if (name == nullptr || name[0] == L'\0') return;
  const size_t length = wcslen(name);
  name_.reset(new wchar_t[length + 1]);
  std::memcpy(name_.get(), name, (length + 1) * sizeof(wchar_t));
}

const wchar_t* Control::GetName() { return name_.get(); }

int Control::GetId() { return id_; }

void Control::Paint(GpGraphics* graphics, const RECT* clip) {
  if (visible_ != 1 || clip == nullptr) return;
  RECT area;
  if (!IntersectRect(&area, clip, &rect_)) return;
  const RECT device = DeviceRect(area, Dpi());
  Gdiplus::DllExports::GdipSetClipRectI(graphics, device.left, device.top,
                                        device.right - device.left, device.bottom - device.top,
                                        Gdiplus::CombineModeReplace);
  DrawSelf(graphics);
  for (size_t i = 0; i < children_.size(); ++i) children_[i]->Paint(graphics, &area);
  if (parent_ != nullptr) Gdiplus::DllExports::GdipResetClip(graphics);
}

void Control::DrawSelf(GpGraphics* graphics) {
  FrameSelection frame;
  frame.cols = frameCols_;
  frame.rows = frameRows_;
  frame.col = frameCol_;
  frame.row = frameRow_;
  frame.mirrorX = mirrorX_;
  frame.mirrorY = mirrorY_;
  frame.stretch = stretch_;
  const unsigned dpi = Dpi();
  DrawImageFrame(graphics, image_.get(), DeviceRect(rect_, dpi), frame, alpha_, dpi);
}

LRESULT Control::OnMouseEnter(WPARAM wParam, LPARAM lParam) {
  // The window asks the control under the mouse for its cursor on WM_SETCURSOR.
  if (hwnd_ != nullptr) PostMessageA(hwnd_, WM_SETCURSOR, 0, 0);
  return Raise(CN_MOUSEENTER, wParam, lParam);
}

LRESULT Control::OnMouseMove(WPARAM wParam, LPARAM lParam) {
  return Raise(CN_MOUSEMOVE, wParam, lParam);
}

LRESULT Control::OnMouseHover(WPARAM wParam, LPARAM lParam) {
  return Raise(CN_MOUSEHOVER, wParam, lParam);
}

LRESULT Control::OnMouseLeave(WPARAM wParam, LPARAM lParam) {
  if (hwnd_ != nullptr) PostMessageA(hwnd_, WM_SETCURSOR, 0, 0);
  return Raise(CN_MOUSELEAVE, wParam, lParam);
}

LRESULT Control::OnLButtonDown(WPARAM wParam, LPARAM lParam) {
  return Raise(CN_LBUTTONDOWN, wParam, lParam);
}

LRESULT Control::OnLButtonUp(WPARAM wParam, LPARAM lParam) {
  return Raise(CN_LBUTTONUP, wParam, lParam);
}

LRESULT Control::OnLButtonDblClk(WPARAM wParam, LPARAM lParam) {
  return Raise(CN_LBUTTONDBLCLK, wParam, lParam);
}

LRESULT Control::OnRButtonDown(WPARAM wParam, LPARAM lParam) {
  return Raise(CN_RBUTTONDOWN, wParam, lParam);
}

LRESULT Control::OnRButtonUp(WPARAM wParam, LPARAM lParam) {
  return Raise(CN_RBUTTONUP, wParam, lParam);
}

LRESULT Control::OnRButtonDblClk(WPARAM wParam, LPARAM lParam) {
  return Raise(CN_RBUTTONDBLCLK, wParam, lParam);
}

LRESULT Control::OnMButtonDown(WPARAM wParam, LPARAM lParam) {
  return Raise(CN_MBUTTONDOWN, wParam, lParam);
}

LRESULT Control::OnMButtonUp(WPARAM wParam, LPARAM lParam) {
  return Raise(CN_MBUTTONUP, wParam, lParam);
}

LRESULT Control::OnMButtonDblClk(WPARAM wParam, LPARAM lParam) {
  return Raise(CN_MBUTTONDBLCLK, wParam, lParam);
}

LRESULT Control::OnMouseWheel(WPARAM wParam, LPARAM lParam) {
  return Raise(CN_MOUSEWHEEL, wParam, lParam);
}

int Control::ApplyCursor() {
  if (cursor_ == nullptr) return 0;
  SetCursor(cursor_);
  return 1;
}

LRESULT Control::OnSetFocus() {
  if (hwnd_ != nullptr) SetFocus(hwnd_);
  Raise(CN_SETFOCUS, 0, 0);
  return 1;
}

LRESULT Control::OnKillFocus() { return Raise(CN_KILLFOCUS, 0, 0); }

LRESULT Control::Notify(ControlEvent* event, Control* source) {
  if (ForwardsToParent()) return parent_->Notify(event, source);
  return 0;
}

int Control::FilterMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  if (ForwardsToParent()) return parent_->FilterMessage(msg, wParam, lParam, result);
  return 0;
}

void Control::OnDpiChanged() {}

unsigned Control::Dpi() const {
  const Control* root = this;
  while (root->parent_ != nullptr) root = root->parent_;
  return root->dpi_;
}

LRESULT Control::Raise(int32_t code, WPARAM wParam, LPARAM lParam) {
  if (!ForwardsToParent()) return 0;
  ControlEvent event = {static_cast<uint32_t>(wParam), static_cast<uint32_t>(lParam), code};
  return parent_->Notify(&event, this);
}

LRESULT Control::Request(unsigned what) {
  if (hwnd_ == nullptr) return 0;
  return SendMessageA(hwnd_, WM_CONTROL_REQUEST, what, reinterpret_cast<LPARAM>(this));
}

}  // namespace dl
