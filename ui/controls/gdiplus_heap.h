// Objects that own drawing-library handles live on the library's own heap, like the library's
// own wrapper classes, so the library and its objects agree on one allocator.
#pragma once

#include <cstddef>

namespace dl {

class GdiplusHeapObject {
 public:
  static void* operator new(std::size_t size);
  static void operator delete(void* block) noexcept;
};

}  // namespace dl
