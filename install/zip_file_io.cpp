#include "install/zip_file_io.h"

#include <windows.h>

#include <cstring>
#include <memory>
#include <new>

#include "base/win_handles.h"

namespace dl {

namespace {

struct Window {
  std::unique_ptr<unsigned char[]> data;
  uint64_t start = 0;
  uint32_t length = 0;  // 0: empty

  bool Holds(uint64_t position) const {
    return length != 0 && position >= start && position < start + length;
  }
};

// One open package. The library holds it as its stream from open to close.
class BufferedPackageFile {
 public:
  BufferedPackageFile(UniqueFile file, uint64_t size, ZipReadStats* stats)
      : file_(std::move(file)), size_(size), stats_(stats) {}

  bool AllocateWindows() {
    for (Window& window : windows_) {
      window.data.reset(new (std::nothrow) unsigned char[kZipWindowBytes]);
      if (!window.data) return false;
    }
    return true;
  }

  uLong Read(void* buffer, uLong size) {
    auto* out = static_cast<unsigned char*>(buffer);
    uLong done = 0;
    while (done < size && position_ < size_) {
      uLong want = size - done;
      if (Window* window = WindowHolding(position_)) {
        uint64_t available = window->start + window->length - position_;
        uLong take = available < want ? static_cast<uLong>(available) : want;
        std::memcpy(out + done, window->data.get() + (position_ - window->start), take);
        done += take;
        position_ += take;
        continue;
      }
      uint64_t left = size_ - position_;
      if (want >= kZipWindowBytes) {
        // A block as large as a window gains nothing from a copy: read it in place.
        DWORD take = static_cast<DWORD>(want < left ? want : left);
        DWORD got = 0;
        if (!ReadAt(position_, out + done, take, &got)) break;
        done += got;
        position_ += got;
        if (got < take) break;
        continue;
      }
      // Near the end the window ends with the file: the library searches the end record
      // backwards there in 1 KiB steps, each of which would otherwise be a read of its own.
      uint64_t start = position_;
      if (left < kZipWindowBytes) start = size_ > kZipWindowBytes ? size_ - kZipWindowBytes : 0;
      Window& window = WindowToRefill(position_);
      uint64_t span = size_ - start;
      DWORD take = static_cast<DWORD>(span < kZipWindowBytes ? span : kZipWindowBytes);
      DWORD got = 0;
      window.length = 0;
      if (!ReadAt(start, window.data.get(), take, &got) || start + got <= position_) break;
      window.start = start;
      window.length = got;
      DropCoveredBy(window);
    }
    return done;
  }

  long Seek(ZPOS64_T offset, int origin) {
    uint64_t base = 0;
    switch (origin) {
      case ZLIB_FILEFUNC_SEEK_SET:
        base = 0;
        break;
      case ZLIB_FILEFUNC_SEEK_CUR:
        base = position_;
        break;
      case ZLIB_FILEFUNC_SEEK_END:
        base = size_;
        break;
      default:
        return -1;
    }
    // The library passes backward moves from the current position as wrapped unsigned values.
    position_ = base + offset;
    return 0;
  }

  ZPOS64_T Tell() const { return position_; }
  bool Failed() const { return stats_ != nullptr && stats_->readFailed; }

 private:
  Window* WindowHolding(uint64_t position) {
    for (Window& window : windows_) {
      if (window.Holds(position)) return &window;
    }
    return nullptr;
  }

  // The library reads two streams at once: the central directory near the end, and the
  // local headers and data in order from the start. Each stream moves forward from where its
  // window ends, so the window whose end is nearest to the new position follows the same
  // stream; refilling it leaves the other stream's window alone.
  Window& WindowToRefill(uint64_t position) {
    Window* best = &windows_[0];
    uint64_t bestDistance = UINT64_MAX;
    for (Window& window : windows_) {
      if (window.length == 0) return window;
      uint64_t end = window.start + window.length;
      uint64_t distance = position >= end ? position - end : window.start - position;
      if (distance < bestDistance) {
        bestDistance = distance;
        best = &window;
      }
    }
    return *best;
  }

  // A window the new one covers holds nothing the new one lacks: free it for the other
  // stream (the end of the archive read first is covered by the start of the directory).
  void DropCoveredBy(const Window& filled) {
    for (Window& window : windows_) {
      if (&window == &filled || window.length == 0) continue;
      if (window.start >= filled.start &&
          window.start + window.length <= filled.start + filled.length) {
        window.length = 0;
      }
    }
  }

  bool ReadAt(uint64_t position, void* buffer, DWORD size, DWORD* got) {
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(position);
    at.OffsetHigh = static_cast<DWORD>(position >> 32);
    BOOL ok = ReadFile(file_.Get(), buffer, size, got, &at);
    if (stats_ != nullptr) {
      ++stats_->readCalls;
      stats_->bytesRead += *got;
    }
    if (!ok) {
      DWORD error = GetLastError();
      if (error == ERROR_HANDLE_EOF) {
        *got = 0;
        return true;
      }
      if (stats_ != nullptr) {
        stats_->readFailed = true;
        stats_->lastError = error;
      }
      return false;
    }
    return true;
  }

  UniqueFile file_;
  uint64_t size_;
  uint64_t position_ = 0;
  ZipReadStats* stats_;
  Window windows_[2];
};

BufferedPackageFile* AsFile(voidpf stream) { return static_cast<BufferedPackageFile*>(stream); }

voidpf ZCALLBACK OpenPackage(voidpf opaque, const void* filename, int mode) {
  auto* stats = static_cast<ZipReadStats*>(opaque);
  if (filename == nullptr ||
      (mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) != ZLIB_FILEFUNC_MODE_READ) {
    return nullptr;
  }
  UniqueFile file(CreateFileW(static_cast<const wchar_t*>(filename), GENERIC_READ, FILE_SHARE_READ,
                              nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  LARGE_INTEGER size = {};
  if (!file || !GetFileSizeEx(file.Get(), &size)) {
    if (stats != nullptr) stats->lastError = GetLastError();
    return nullptr;
  }
  if (stats != nullptr) stats->fileSize = static_cast<uint64_t>(size.QuadPart);
  std::unique_ptr<BufferedPackageFile> package(new (std::nothrow) BufferedPackageFile(
      std::move(file), static_cast<uint64_t>(size.QuadPart), stats));
  if (!package || !package->AllocateWindows()) {
    if (stats != nullptr) stats->lastError = ERROR_NOT_ENOUGH_MEMORY;
    return nullptr;
  }
  // Owned by the library from here on; ClosePackage takes it back.
  return package.release();
}

uLong ZCALLBACK ReadPackage(voidpf, voidpf stream, void* buffer, uLong size) {
  return AsFile(stream)->Read(buffer, size);
}

uLong ZCALLBACK WritePackage(voidpf, voidpf, const void*, uLong) { return 0; }

ZPOS64_T ZCALLBACK TellPackage(voidpf, voidpf stream) { return AsFile(stream)->Tell(); }

long ZCALLBACK SeekPackage(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
  return AsFile(stream)->Seek(offset, origin);
}

int ZCALLBACK ClosePackage(voidpf, voidpf stream) {
  std::unique_ptr<BufferedPackageFile> owner(AsFile(stream));
  return 0;
}

int ZCALLBACK PackageError(voidpf, voidpf stream) { return AsFile(stream)->Failed() ? 1 : 0; }

}  // namespace

void FillZipFileFunctions(zlib_filefunc64_def* def, ZipReadStats* stats) {
  def->zopen64_file = OpenPackage;
  def->zread_file = ReadPackage;
  def->zwrite_file = WritePackage;
  def->ztell64_file = TellPackage;
  def->zseek64_file = SeekPackage;
  def->zclose_file = ClosePackage;
  def->zerror_file = PackageError;
  def->opaque = stats;
}

}  // namespace dl
