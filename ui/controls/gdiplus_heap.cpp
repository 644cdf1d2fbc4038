#include "ui/controls/gdiplus_heap.h"

#include <windows.h>

#include <gdiplus.h>

#include <new>

namespace dl {

void* GdiplusHeapObject::operator new(std::size_t size) {
  void* block = Gdiplus::DllExports::GdipAlloc(size);
  if (block == nullptr) throw std::bad_alloc();
  return block;
}

void GdiplusHeapObject::operator delete(void* block) noexcept {
  if (block != nullptr) Gdiplus::DllExports::GdipFree(block);
}

}  // namespace dl
