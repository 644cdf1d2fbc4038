#include "install/stream_unpack.h"

#include <cwchar>
#include <utility>
#include <vector>

#include "install/entry_files.h"
#include "install/zip_stream.h"
#include "install/zip_times.h"

namespace dl {

namespace {

// One read of the file: as large as the download's, so following costs as few calls.
constexpr DWORD kReadBytes = 64 * 1024;
// A central directory beyond this is not read into memory: the whole-file extraction, which
// walks it record by record, takes such a package.
constexpr uint64_t kCentralCap = 48ull * 1024 * 1024;

bool ReadAt(HANDLE file, uint64_t offset, void* buffer, DWORD size, DWORD* got) {
  OVERLAPPED at = {};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return ReadFile(file, buffer, size, got, &at) != FALSE;
}

bool SameName(const wchar_t* a, const wchar_t* b) {
  return CompareStringOrdinal(a, -1, b, -1, TRUE) == CSTR_EQUAL;
}

// The cleaned name of an entry as decoded with the given extra field; false when it has none.
bool NameOf(const StreamEntry& entry, const std::vector<uint8_t>& extra, bool folderAttribute,
            wchar_t* name, bool* isFolder) {
  return CleanedEntryName(entry.rawName.data(), entry.rawName.size(), entry.flags, extra.data(),
                          extra.size(), folderAttribute, name, isFolder) == kExtractOk;
}

// The folder path (separators at its end dropped) in the form the file system takes at any
// length; empty when it does not fit.
std::wstring SystemForm(std::wstring path) {
  while (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
  wchar_t system[kSystemPathCap];
  const wchar_t* name = path.size() < kPathCap ? ForSystem(path.c_str(), system) : nullptr;
  return name != nullptr ? std::wstring(name) : std::wstring();
}

struct Child {
  std::wstring name;
  bool folder;
};

// The names in a folder, read before anything in it moves.
std::vector<Child> ChildrenOf(const std::wstring& folder) {
  std::vector<Child> children;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return children;
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    // A link to a folder is no folder of the tree: nothing is done through it.
    const bool folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
                        (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
    children.push_back({name, folder});
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return children;
}

// Whether every staged file under from can replace what is at its place under to.
bool CanMerge(const std::wstring& from, const std::wstring& to) {
  for (const Child& child : ChildrenOf(from)) {
    const std::wstring target = to + L"\\" + child.name;
    const DWORD existing = GetFileAttributesW(target.c_str());
    if (existing == INVALID_FILE_ATTRIBUTES) continue;  // moves in one piece
    const bool folder = (existing & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (folder != child.folder) return false;
    if (folder) {
      if (!CanMerge(from + L"\\" + child.name, target)) return false;
      continue;
    }
    // A file in use or read-only stays as it is, as the whole-file extraction would leave it;
    // a rename would replace some files that are open.
    if ((existing & FILE_ATTRIBUTE_READONLY) != 0) return false;
    UniqueFile probe(CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!probe) return false;
  }
  return true;
}

bool Merge(const std::wstring& from, const std::wstring& to) {
  for (const Child& child : ChildrenOf(from)) {
    const std::wstring source = from + L"\\" + child.name;
    const std::wstring target = to + L"\\" + child.name;
    const DWORD existing = GetFileAttributesW(target.c_str());
    if (existing != INVALID_FILE_ATTRIBUTES && child.folder) {
      if (!Merge(source, target)) return false;
    } else if (!MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
      return false;
    }
  }
  return true;
}

}  // namespace

// The thread's side: the package read back, the reader, and each entry's file as it is written.
class StreamUnpacker::Follower final : public ZipStreamSink {
 public:
  Follower(const std::wstring& packagePath, const std::wstring& destination)
      : packagePath_(packagePath), reader_(*this) {
    MakeExtractionBase(destination.c_str(), base_, kPathCap);
    baseLength_ = std::wcslen(base_);
  }

  bool following() const { return !givenUp_ && reader_.state() == ZipStreamState::kRunning; }

  // Reads the file's bytes [offset, offset + size) and follows them; false when it gave up.
  bool Follow(uint64_t offset, DWORD size, uint8_t* buffer) {
    if (!file_) {
      // Shared every way: the download writes on, and a broken package is deleted under it.
      file_.Reset(CreateFileW(packagePath_.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    }
    DWORD got = 0;
    if (!file_ || baseLength_ == 0 || !ReadAt(file_.Get(), offset, buffer, size, &got) ||
        got != size) {
      givenUp_ = true;
      return false;
    }
    reader_.Feed(buffer, got);
    return following();
  }

  bool Confirm(int* entries, uint64_t* bytes);
  // Lets go of the package: the whole-file extraction, the report and a deletion come next.
  void ClosePackage() {
    entryFile_.Reset();
    file_.Reset();
  }

  bool OnEntryBegin(const StreamEntry& entry) override {
    wchar_t path[kPathCap];
    if (!NameOf(entry, entry.localExtra, false, name_, &isFolder_) ||
        TargetPath(base_, name_, isFolder_, path) != kExtractOk) {
      return false;
    }
    folders_.MakeFor(path, name_, isFolder_, baseLength_);
    if (isFolder_) return true;
    // A read-only file is never replaced; the whole-file extraction says so with its code.
    const DWORD existing = EntryPathAttributes(path);
    if (existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_READONLY) != 0) {
      return false;
    }
    // Its attributes are the central directory's, given once it confirms the entry.
    entryFile_.Reset(CreateEntryFile(path, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL));
    return entryFile_.IsValid();
  }

  bool OnEntryData(const uint8_t* data, size_t size) override {
    if (isFolder_) return size == 0;
    while (size > 0) {
      const DWORD part = size < kReadBytes ? static_cast<DWORD>(size) : kReadBytes;
      DWORD put = 0;
      if (!WriteFile(entryFile_.Get(), data, part, &put, nullptr) || put != part) return false;
      data += part;
      size -= part;
    }
    return true;
  }

  bool OnEntryEnd(const StreamEntry& entry) override {
    if (entryFile_) {
      ApplyTimes(entryFile_.Get(),
                 TimesOf(entry.dosDateTime, entry.localExtra.data(), entry.localExtra.size()));
      entryFile_.Reset();
    }
    return true;
  }

 private:
  const std::wstring packagePath_;
  ZipStreamReader reader_;
  UniqueFile file_;
  bool givenUp_ = false;
  wchar_t base_[kPathCap] = {};
  size_t baseLength_ = 0;
  FolderMaker folders_;
  wchar_t name_[kPathCap] = {};  // the entry being written
  bool isFolder_ = false;
  UniqueFile entryFile_;
};

bool StreamUnpacker::Follower::Confirm(int* entries, uint64_t* bytes) {
  entryFile_.Reset();
  LARGE_INTEGER size;
  if (reader_.state() != ZipStreamState::kLocalEnd || !file_ ||
      !GetFileSizeEx(file_.Get(), &size)) {
    return false;
  }
  const uint64_t archiveSize = static_cast<uint64_t>(size.QuadPart);
  const uint64_t central = reader_.centralOffset();
  if (central > archiveSize || archiveSize - central > kCentralCap) return false;
  std::vector<uint8_t> tail(static_cast<size_t>(archiveSize - central));
  for (size_t done = 0; done < tail.size();) {
    const size_t left = tail.size() - done;
    const DWORD want = left < kReadBytes ? static_cast<DWORD>(left) : kReadBytes;
    DWORD got = 0;
    if (!ReadAt(file_.Get(), central + done, tail.data() + done, want, &got) || got != want) {
      return false;
    }
    done += got;
  }
  file_.Reset();
  std::vector<CentralRecord> records;
  const std::vector<StreamEntry>& streamed = reader_.entries();
  if (CheckCentralDirectory(tail.data(), tail.size(), central, archiveSize, central, streamed,
                            &records) != CentralCheck::kConfirmed ||
      records.size() != streamed.size()) {
    return false;
  }

  // The names and folders the central directory gives must be those written, and the files
  // get its attributes. A read-only file named again later would have stopped the whole-file
  // extraction at the second one: such a package is left to it.
  std::vector<std::wstring> readOnly;
  wchar_t centralName[kPathCap];
  wchar_t path[kPathCap];
  *bytes = 0;
  for (size_t i = 0; i < streamed.size(); ++i) {
    const StreamEntry& entry = streamed[i];
    const CentralRecord& record = records[i];
    const uint32_t attributes =
        EntryFileAttributes(record.versionMadeBy, record.externalAttributes);
    bool folder = false;
    bool centralFolder = false;
    if (entry.dosDateTime != record.dosDateTime ||
        !NameOf(entry, entry.localExtra, false, name_, &folder) ||
        !NameOf(entry, record.extra, (attributes & kAttrDirectory) != 0, centralName,
                &centralFolder) ||
        folder != centralFolder || std::wcscmp(name_, centralName) != 0 ||
        TargetPath(base_, name_, folder, path) != kExtractOk) {
      return false;
    }
    if (folder) continue;
    for (const std::wstring& earlier : readOnly) {
      if (SameName(earlier.c_str(), name_)) return false;
    }
    const DWORD given = CreationAttributes(attributes);
    if (given != FILE_ATTRIBUTE_NORMAL) {
      wchar_t system[kSystemPathCap];
      const wchar_t* name = ForSystem(path, system);
      if (name == nullptr || !SetFileAttributesW(name, given)) return false;
      if ((given & FILE_ATTRIBUTE_READONLY) != 0) readOnly.emplace_back(name_);
    }
    *bytes += entry.uncompressedSize;
  }
  *entries = static_cast<int>(streamed.size());
  return true;
}

StreamUnpacker::StreamUnpacker(std::wstring packagePath, std::wstring destination, bool staged)
    : packagePath_(std::move(packagePath)), destination_(std::move(destination)), staged_(staged) {}

StreamUnpacker::~StreamUnpacker() { Stop(); }

bool StreamUnpacker::Start() {
  follower_ = std::make_unique<Follower>(packagePath_, destination_);
  try {
    thread_ = std::thread([this] { Run(); });
  } catch (...) {
    follower_.reset();
    return false;
  }
  return true;
}

void StreamUnpacker::Stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  changed_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void StreamUnpacker::WriteFrom(uint64_t offset) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (offset < claimed_) ++generation_;
    available_ = offset;
  }
  changed_.notify_all();
}

void StreamUnpacker::Written(uint64_t fileBytes) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (fileBytes <= available_) return;
    available_ = fileBytes;
  }
  changed_.notify_all();
}

void StreamUnpacker::Run() {
  std::vector<uint8_t> buffer(kReadBytes);
  uint64_t generation = 0;
  uint64_t position = 0;
  for (;;) {
    uint64_t end = 0;
    bool restart = false;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      for (;;) {
        if (stop_) return;
        if (generation_ != generation) break;
        const bool following = follower_->following();
        if (following && available_ > position) break;
        const bool idle = !following || finishing_;
        if (idle && !idle_) {
          idle_ = true;
          changed_.notify_all();
        }
        changed_.wait(lock);
      }
      idle_ = false;
      if (generation_ != generation) {
        generation = generation_;
        position = 0;
        claimed_ = 0;
        restart = true;
      } else {
        end = available_ - position < kReadBytes ? available_ : position + kReadBytes;
        claimed_ = end;
      }
    }
    if (restart) {
      // The bytes it followed are gone: the package is followed from its start again, and
      // every entry is written anew. A staging folder must not keep another package's files.
      follower_.reset();  // with the file it was writing
      if (staged_) RemoveTree(destination_);
      follower_ = std::make_unique<Follower>(packagePath_, destination_);
      continue;
    }
    const DWORD size = static_cast<DWORD>(end - position);
    follower_->Follow(position, size, buffer.data());
    position = end;
  }
}

bool StreamUnpacker::Finish() {
  confirmedEntries_ = 0;
  confirmedBytes_ = 0;
  if (!thread_.joinable()) return false;
  {
    std::unique_lock<std::mutex> lock(mutex_);
    finishing_ = true;
    changed_.notify_all();
    changed_.wait(lock, [&] { return idle_; });
  }
  Stop();
  const bool confirmed = follower_->Confirm(&confirmedEntries_, &confirmedBytes_);
  follower_->ClosePackage();
  return confirmed;
}

bool StreamUnpacker::MoveIntoPlace(const std::wstring& base) {
  if (!staged_ || !follower_ || thread_.joinable()) return false;
  const std::wstring from = SystemForm(destination_);
  const std::wstring to = SystemForm(base);
  return !from.empty() && !to.empty() && CanMerge(from, to) && Merge(from, to);
}

void StreamUnpacker::RemoveTree(const std::wstring& folder) {
  const std::wstring root = SystemForm(folder);
  if (root.empty()) return;
  std::wstring plain = folder;
  while (!plain.empty() && (plain.back() == L'\\' || plain.back() == L'/')) plain.pop_back();
  for (const Child& child : ChildrenOf(root)) {
    const std::wstring path = plain + L"\\" + child.name;
    if (child.folder) {
      RemoveTree(path);
      continue;
    }
    const std::wstring file = SystemForm(path);
    if (file.empty()) continue;
    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(file.c_str());
  }
  SetFileAttributesW(root.c_str(), FILE_ATTRIBUTE_NORMAL);
  RemoveDirectoryW(root.c_str());
}

}  // namespace dl
