#include "install/package_extract.h"

#include <shlobj.h>
#include <unzip.h>
#include <zlib.h>

#include <climits>
#include <condition_variable>
#include <cstring>
#include <cwchar>
#include <memory>
#include <mutex>
#include <new>
#include <utility>

#include "base/bounded_text.h"
#include "base/win_handles.h"
#include "install/entry_files.h"
#include "install/zip_times.h"

namespace dl {

namespace {

unzFile AsZip(void* zip) { return static_cast<unzFile>(zip); }

}  // namespace

void ZipHandleTraits::Close(Handle zip) noexcept { unzClose(AsZip(zip)); }

PackageReader::~PackageReader() {
  // The entry's data first; the handle goes with the member.
  if (zip_ && dataOpen_) unzCloseCurrentFile(AsZip(zip_.Get()));
}

int PackageReader::Open(const wchar_t* path, const char* password) {
  // Decryption is not built into the unzip layer; an encrypted entry says so when it is
  // opened, whatever was passed here.
  (void)password;
  if (zip_) return kExtractOpenFailed;
  zlib_filefunc64_def functions;
  FillZipFileFunctions(&functions, &stats_);
  zip_.Reset(unzOpen2_64(path, &functions));
  if (!zip_) return kExtractOpenFailed;
  unz_global_info64 info;
  if (unzGetGlobalInfo64(AsZip(zip_.Get()), &info) != UNZ_OK || info.number_entry > INT_MAX) {
    return kExtractOpenFailed;
  }
  entryCount_ = static_cast<int>(info.number_entry);
  current_ = 0;
  return kExtractOk;
}

int PackageReader::ClassifyReadError() const {
  return stats_.readFailed ? kExtractReadFailed : kExtractBadHeader;
}

int PackageReader::ReadEntry(int index, PackageEntry* entry) {
  *entry = PackageEntry();
  entry->index = index;
  if (!zip_ || index < 0 || index >= entryCount_) return kExtractOpenFailed;
  if (dataOpen_) CloseEntryData();
  int error = UNZ_OK;
  if (index < current_) {
    error = unzGoToFirstFile(AsZip(zip_.Get()));
    current_ = 0;
  }
  while (error == UNZ_OK && current_ < index) {
    error = unzGoToNextFile(AsZip(zip_.Get()));
    ++current_;
  }
  if (error != UNZ_OK) {
    current_ = entryCount_;  // lost: the next read starts from the first entry again
    return error == UNZ_END_OF_LIST_OF_FILE ? kExtractOpenFailed : ClassifyReadError();
  }

  unz_file_info64 info;
  char raw[1024];
  unsigned char extra[1024];
  error = unzGetCurrentFileInfo64(AsZip(zip_.Get()), &info, raw, sizeof raw, extra, sizeof extra,
                                  nullptr, 0);
  if (error != UNZ_OK) return ClassifyReadError();

  entry->attributes = EntryFileAttributes(info.version, info.external_fa);
  entry->encrypted = (info.flag & 1) != 0;
  entry->compressedSize = static_cast<int64_t>(info.compressed_size);
  entry->uncompressedSize = static_cast<int64_t>(info.uncompressed_size);
  FILETIME time = DosTimeToUtc(info.dosDate);
  entry->accessTime = entry->creationTime = entry->modificationTime = time;
  const size_t extraLength = info.size_file_extra < sizeof extra ? info.size_file_extra : 0;
  return CleanedEntryName(raw, info.size_filename, info.flag, extra, extraLength,
                          (entry->attributes & kAttrDirectory) != 0, entry->name, &entry->isFolder);
}

int PackageReader::OpenEntryData(PackageEntry* entry) {
  if (!zip_) return kExtractOpenFailed;
  if (entry->encrypted) return kExtractPassword;
  if (dataOpen_) CloseEntryData();
  int method = 0;
  int level = 0;
  int error = unzOpenCurrentFile2(AsZip(zip_.Get()), &method, &level, 0);
  if (error != UNZ_OK) return error == UNZ_BADZIPFILE ? ClassifyReadError() : kExtractReadFailed;
  dataOpen_ = true;
  // Other methods would come back as raw compressed bytes, unchecked: refuse them.
  if (method != 0 && method != Z_DEFLATED) {
    CloseEntryData();
    return kExtractBadHeader;
  }

  unsigned char extra[4096];
  const int length = unzGetLocalExtrafield(AsZip(zip_.Get()), extra, sizeof extra);
  if (length > 0) {
    // The DOS time stays wherever the extra field carries no Unix time.
    EntryTimes times;
    times.access = entry->accessTime;
    times.creation = entry->creationTime;
    times.modification = entry->modificationTime;
    times = WithUnixTimes(times, extra, static_cast<size_t>(length));
    entry->accessTime = times.access;
    entry->creationTime = times.creation;
    entry->modificationTime = times.modification;
  }
  return kExtractOk;
}

int PackageReader::ReadEntryData(void* buffer, uint32_t cap, uint32_t* got) {
  *got = 0;
  if (!dataOpen_) return kExtractDataFailed;
  int n = unzReadCurrentFile(AsZip(zip_.Get()), buffer, cap);
  if (n > 0) {
    *got = static_cast<uint32_t>(n);
    return kExtractOk;
  }
  if (n == 0) return unzeof(AsZip(zip_.Get())) == 1 ? kExtractOk : kExtractDataFailed;
  return stats_.readFailed ? kExtractReadFailed : kExtractDataFailed;
}

int PackageReader::CloseEntryData() {
  if (!dataOpen_) return kExtractOk;
  dataOpen_ = false;
  return unzCloseCurrentFile(AsZip(zip_.Get())) == UNZ_CRCERROR ? kExtractDataFailed : kExtractOk;
}

namespace {

// What the helper did for one entry before the worker reached it.
struct Prepared {
  enum class State {
    kNothing,     // the worker does every step itself
    kFolderMade,  // folders made; a folder entry needs nothing more
    kCreated,     // folders made and the file newly created: file holds it
    kExists,      // folders made; the file exists and is replaced by the worker, in order
  };
  State state = State::kNothing;
  UniqueFile file;
  wchar_t path[kPathCap] = {};
  NewLevels levels;
};

// Creates the files of the entries ahead of the one being written, on a thread of its own:
// creating a file costs more than inflating and writing a typical entry, and both cores can
// work at once. It reads the entry records through its own reader (the worker's is busy with
// entry data), makes the folders and creates only files that do not exist yet; replacing an
// existing file, and anything unusual, stays with the worker and its order. When the worker
// stops at a failing entry, what was done for the entries after it is undone.
class CreatorAhead {
 public:
  static constexpr int kAhead = 64;

  CreatorAhead(const wchar_t* base, size_t baseLength) : base_(base), baseLength_(baseLength) {}
  ~CreatorAhead() { Stop(); }
  CreatorAhead(const CreatorAhead&) = delete;
  CreatorAhead& operator=(const CreatorAhead&) = delete;

  // False when the package cannot be opened a second time or no thread can be started; the
  // worker then does everything itself.
  bool Start(const wchar_t* packagePath) {
    if (reader_.Open(packagePath, nullptr) != kExtractOk) return false;
    thread_.Reset(CreateThread(nullptr, 0, &CreatorAhead::Main, this, 0, nullptr));
    return thread_.IsValid();
  }

  // Waits until entry index is prepared (or the helper has stopped) and hands over what it did.
  void Take(int index, Prepared* out) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return published_ > index || done_; });
    if (published_ > index) {
      *out = std::move(slots_[index % kAhead]);
      taken_ = index + 1;
      changed_.notify_all();
    } else {
      *out = Prepared();
    }
  }

  // Stops the helper and undoes its work for the entries not taken yet: the files it created
  // and the folders it made (only while they are empty).
  void Abandon() {
    Stop();
    wchar_t level[kPathCap];
    wchar_t system[kSystemPathCap];
    for (int index = published_ - 1; index >= taken_; --index) {
      Prepared& slot = slots_[index % kAhead];
      if (slot.state == Prepared::State::kCreated) {
        slot.file.Reset();
        if (const wchar_t* name = ForSystem(slot.path, system)) DeleteFileW(name);
      }
      for (int i = slot.levels.count - 1; i >= 0; --i) {
        std::wmemcpy(level, slot.path, slot.levels.ends[i]);
        level[slot.levels.ends[i]] = L'\0';
        if (const wchar_t* name = ForSystem(level, system)) RemoveDirectoryW(name);
      }
    }
    taken_ = published_;
  }

  uint64_t ReadCalls() const { return reader_.stats().readCalls; }

 private:
  static DWORD WINAPI Main(void* self) {
    static_cast<CreatorAhead*>(self)->Run();
    return 0;
  }

  void Stop() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    changed_.notify_all();
    if (thread_) WaitForSingleObject(thread_.Get(), INFINITE);
    thread_.Reset();
  }

  void Run() {
    bool givenUp = false;
    for (int index = 0; index < reader_.EntryCount() && !givenUp; ++index) {
      {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return stop_ || published_ - taken_ < kAhead; });
        if (stop_) break;
      }

      Prepared prepared;
      givenUp = !Prepare(index, &prepared);
      {
        std::lock_guard<std::mutex> lock(mutex_);
        slots_[index % kAhead] = std::move(prepared);
        ++published_;
      }
      changed_.notify_all();
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      done_ = true;
    }
    changed_.notify_all();
  }

  // False when the helper must stop here: the worker is about to fail at this entry, and
  // nothing after it may be touched.
  bool Prepare(int index, Prepared* out) {
    PackageEntry entry;
    if (reader_.ReadEntry(index, &entry) != kExtractOk) return false;
    if (TargetPath(base_, entry.name, entry.isFolder, out->path) != kExtractOk) return false;
    if (entry.isFolder) {
      folders_.Make(out->path, baseLength_, &out->levels);
      out->state = Prepared::State::kFolderMade;
      return true;
    }
    wchar_t folder[kPathCap];
    size_t folderLength = baseLength_ + FolderPartLength(entry.name);
    std::wmemcpy(folder, out->path, folderLength);
    folder[folderLength] = L'\0';
    folders_.Make(folder, baseLength_, &out->levels);
    out->file.Reset(CreateEntryFile(out->path, CREATE_NEW, CreationAttributes(entry.attributes)));
    if (out->file) {
      out->state = Prepared::State::kCreated;
      return true;
    }
    DWORD error = GetLastError();
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) {
      out->state = Prepared::State::kExists;
      return true;
    }
    out->state = Prepared::State::kFolderMade;
    return false;
  }

  const wchar_t* base_;
  size_t baseLength_;
  PackageReader reader_;
  FolderMaker folders_;
  std::mutex mutex_;
  std::condition_variable changed_;
  Prepared slots_[kAhead];
  int published_ = 0;  // entries 0 .. published_-1 have a slot
  int taken_ = 0;      // entries 0 .. taken_-1 went to the worker
  bool done_ = false;
  bool stop_ = false;
  UniqueHandle thread_;
};

class Extraction {
 public:
  explicit Extraction(ExtractOutcome* outcome) : outcome_(outcome) {}

  int Run(const wchar_t* packagePath, const char* password, const wchar_t* destination) {
    DWORD attributes = GetFileAttributesW(destination);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
      int created = SHCreateDirectoryExW(nullptr, destination, nullptr);
      if (created != ERROR_SUCCESS && created != ERROR_ALREADY_EXISTS) {
        return Fail(kExtractDestinationNotCreated, static_cast<DWORD>(created));
      }
    } else if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
      return Fail(kExtractDestinationNotFolder, ERROR_DIRECTORY);
    }
    if (!MakeExtractionBase(destination, base_, kPathCap)) {
      return Fail(kExtractOpenFailed, ERROR_FILENAME_EXCED_RANGE);
    }
    baseLength_ = std::wcslen(base_);

    outcome_->packageExamined = true;
    int result = reader_.Open(packagePath, password);
    outcome_->packageSize = static_cast<uint32_t>(reader_.stats().fileSize);
    if (result != kExtractOk) return Fail(result, reader_.stats().lastError);

    ahead_.reset(new (std::nothrow) CreatorAhead(base_, baseLength_));
    if (ahead_ && !ahead_->Start(packagePath)) ahead_.reset();

    for (int i = 0; i < reader_.EntryCount() && result == kExtractOk; ++i) {
      PackageEntry entry;
      result = reader_.ReadEntry(i, &entry);
      if (result != kExtractOk) {
        Fail(result, reader_.stats().readFailed ? reader_.stats().lastError : 0);
      } else {
        result = ExtractEntry(&entry);
      }
      // An empty entry whose inflating reports an error still counts as extracted.
      if (result == kExtractDataFailed &&
          (entry.compressedSize == 0 || entry.uncompressedSize == 0)) {
        result = kExtractOk;
        outcome_->lastError = 0;
      }
      if (result == kExtractOk) {
        ++outcome_->entriesDone;
      } else {
        outcome_->failedIndex = i;
        CopyBounded(outcome_->failedName, kPathCap, entry.name);
        if (ahead_) ahead_->Abandon();
      }
    }
    return result;
  }

  uint64_t ReadCalls() const {
    return reader_.stats().readCalls + (ahead_ ? ahead_->ReadCalls() : 0);
  }

 private:
  int Fail(int code, DWORD error) {
    outcome_->lastError = error;
    return code;
  }

  int ExtractEntry(PackageEntry* entry) {
    Prepared prepared;
    if (ahead_) ahead_->Take(entry->index, &prepared);
    wchar_t path[kPathCap];
    int code = TargetPath(base_, entry->name, entry->isFolder, path);
    if (code != kExtractOk) {
      return Fail(code,
                  code == kExtractCreateFailed ? ERROR_FILENAME_EXCED_RANGE : ERROR_INVALID_NAME);
    }
    if (prepared.state == Prepared::State::kNothing) {
      folders_.MakeFor(path, entry->name, entry->isFolder, baseLength_);
    }
    if (entry->isFolder) return kExtractOk;

    UniqueFile file = std::move(prepared.file);
    if (!file) {
      // The platform refuses to replace a read-only file; a process with root rights under
      // wine would not be refused, so the rule is kept here for every platform alike.
      const DWORD existing = EntryPathAttributes(path);
      if (existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_READONLY) != 0) {
        return Fail(kExtractCreateFailed, ERROR_ACCESS_DENIED);
      }
      file.Reset(CreateEntryFile(path, CREATE_ALWAYS, CreationAttributes(entry->attributes)));
      if (!file) return Fail(kExtractCreateFailed, GetLastError());
    }
    return WriteEntry(entry, file);
  }

  int WriteEntry(PackageEntry* entry, const UniqueFile& file) {
    int code = reader_.OpenEntryData(entry);
    if (code != kExtractOk) return Fail(code, ReadError(code));
    DWORD error = 0;
    for (;;) {
      uint32_t got = 0;
      code = reader_.ReadEntryData(block_, sizeof block_, &got);
      if (code != kExtractOk) {
        error = ReadError(code);
        break;
      }
      if (got == 0) break;
      DWORD put = 0;
      BOOL written = WriteFile(file.Get(), block_, got, &put, nullptr);
      if (!written || put != got) {
        error = written ? ERROR_DISK_FULL : GetLastError();
        code = kExtractWriteFailed;
        break;
      }
      outcome_->bytesWritten += got;
    }
    int closed = reader_.CloseEntryData();
    if (code == kExtractOk) code = closed;
    if (code != kExtractOk) return Fail(code, error);

    EntryTimes times;
    times.access = entry->accessTime;
    times.creation = entry->creationTime;
    times.modification = entry->modificationTime;
    ApplyTimes(file.Get(), times);
    return kExtractOk;
  }

  DWORD ReadError(int code) const {
    return code == kExtractReadFailed ? reader_.stats().lastError : 0;
  }

  ExtractOutcome* outcome_;
  PackageReader reader_;
  std::unique_ptr<CreatorAhead> ahead_;
  FolderMaker folders_;
  wchar_t base_[kPathCap] = {};
  size_t baseLength_ = 0;
  unsigned char block_[kExtractBlockBytes];
};

}  // namespace

int ExtractPackage(const wchar_t* packagePath, const char* password, const wchar_t* destination,
                   ExtractOutcome* outcome) {
  ExtractOutcome local;
  ExtractOutcome* out = outcome != nullptr ? outcome : &local;
  *out = ExtractOutcome();
  {
    Extraction extraction(out);
    out->result = extraction.Run(packagePath, password, destination);
    out->readCalls = extraction.ReadCalls();
  }
  if (out->result != kExtractOk) SetLastError(out->lastError);
  return out->result;
}

}  // namespace dl
