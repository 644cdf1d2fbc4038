// The unpacking that follows a download, under wine, on the archives real tools made for this
// run: whatever it says it unpacked must be exactly what the whole-file extraction makes of the
// same package, and what it cannot follow must be left to that extraction.
#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "install/package_extract.h"
#include "install/stream_unpack.h"
#include "tests/support/win_test_util.h"

namespace {

std::string Env(const char* name) { return getenv(name) != nullptr ? getenv(name) : ""; }
std::wstring Wide(const std::string& text) { return {text.begin(), text.end()}; }

// Every file and folder under root: relative name, attributes, times and a hash of the bytes.
void Walk(const std::string& root, const std::string& relative, std::vector<std::string>* out) {
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((root + relative + "\\*").c_str(), &data);
  for (bool more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileA(find, &data)) {
    const std::string name = data.cFileName;
    if (name == "." || name == "..") continue;
    const std::string path = relative + "\\" + name;
    const bool folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    std::string line = path + " attr " + std::to_string(data.dwFileAttributes);
    if (!folder) {
      line += " written " + std::to_string(data.ftLastWriteTime.dwLowDateTime) + " created " +
              std::to_string(data.ftCreationTime.dwLowDateTime) + " bytes " +
              std::to_string(std::hash<std::string>()(dltest::ReadWholeFile(Wide(root + path))));
    }
    out->push_back(line);
    if (folder) Walk(root, path, out);
  }
  if (find != INVALID_HANDLE_VALUE) FindClose(find);
}

std::vector<std::string> Tree(const std::string& root) {
  std::vector<std::string> lines;
  Walk(root, "", &lines);
  std::sort(lines.begin(), lines.end());
  return lines;
}

class StreamUnpack : public ::testing::Test {
 protected:
  void SetUp() override {
    archives_ = Env("DL_EXTRACT_ARCHIVES");
    if (archives_.empty()) GTEST_SKIP() << "run through extract_archives_test.sh";
    const std::wstring root = dltest::FreshTempFolder(L"dl_stream");
    root_.assign(root.begin(), root.end());
    package_ = root_ + "\\package.install";
  }
  void TearDown() override {
    if (!root_.empty()) dltest::RemoveTree(Wide(root_));
  }

  std::string Bytes(const std::string& archive) {
    return dltest::ReadWholeFile(Wide(archives_ + "\\" + archive));
  }

  // Writes bytes into the package file from offset on as a download would, in blocks of
  // random size, telling the unpacker as it goes.
  void Download(dl::StreamUnpacker& unpacker, const std::string& bytes, size_t offset = 0,
                size_t end = std::string::npos) {
    HANDLE file = CreateFileA(package_.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                              nullptr, OPEN_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    unpacker.WriteFrom(offset);
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(offset);
    SetFilePointerEx(file, at, nullptr, FILE_BEGIN);
    SetEndOfFile(file);
    end = std::min(end, bytes.size());
    while (offset < end) {
      const size_t size = std::min<size_t>(end - offset, 1 + random_() % 70000);
      DWORD put = 0;
      WriteFile(file, bytes.data() + offset, static_cast<DWORD>(size), &put, nullptr);
      offset += put;
      unpacker.Written(offset);
    }
    CloseHandle(file);
  }

  std::string archives_;
  std::string root_;
  std::string package_;
  std::mt19937 random_{20261208};
};

TEST_F(StreamUnpack, FollowsWhatRealToolsWriteAndLeavesTheRestToTheWholeFileExtraction) {
  // Archives the reader follows to the end, and those it must leave: damaged data, cut short,
  // not an archive, encrypted, another method, a name that may not be written.
  const std::vector<std::string> followed = {"infozip.zip",    "sevenz.zip",   "bsdtar.zip",
                                             "python_fat.zip", "ut_flags.zip", "hostile_ok.zip",
                                             "lobby.zip",      "many.zip"};
  const std::vector<std::string> left = {"crc.zip",          "many_crc.zip",  "short.zip",
                                         "truncated.zip",    "notzip.zip",    "infozip_enc.zip",
                                         "sevenz_bzip2.zip", "refused_0.zip", "refused_6.zip"};
  for (const std::string& name : followed) {
    SCOPED_TRACE(name);
    const std::string streamed = root_ + "\\s_" + name;
    const std::string whole = root_ + "\\w_" + name;
    {
      dl::StreamUnpacker unpacker(Wide(package_), Wide(streamed + "\\"), false);
      ASSERT_TRUE(unpacker.Start());
      Download(unpacker, Bytes(name));
      EXPECT_TRUE(unpacker.Finish());
      EXPECT_GT(unpacker.entries(), 0);
    }
    ASSERT_EQ(dl::ExtractPackage(Wide(package_).c_str(), nullptr, Wide(whole).c_str()),
              dl::kExtractOk);
    EXPECT_EQ(Tree(streamed), Tree(whole));
    DeleteFileA(package_.c_str());
  }
  for (const std::string& name : left) {
    SCOPED_TRACE(name);
    dl::StreamUnpacker unpacker(Wide(package_), Wide(root_ + "\\left\\"), false);
    ASSERT_TRUE(unpacker.Start());
    Download(unpacker, Bytes(name));
    EXPECT_FALSE(unpacker.Finish());
    DeleteFileA(package_.c_str());
  }
}

// A resumed download gives the kept part first; a download that starts over rewrites bytes
// already followed, and the package is followed again from its start.
TEST_F(StreamUnpack, KeptBytesAreFollowedFirstAndRewrittenOnesAgain) {
  const std::string package = Bytes("infozip.zip");
  const std::string other = Bytes("many.zip");
  {
    dl::StreamUnpacker first(Wide(package_), Wide(root_ + "\\out\\"), false);
    ASSERT_TRUE(first.Start());
    Download(first, package, 0, package.size() / 3);
  }  // the process ended here; the part stays
  dl::StreamUnpacker resumed(Wide(package_), Wide(root_ + "\\out\\"), false);
  ASSERT_TRUE(resumed.Start());
  Download(resumed, other, package.size() / 3);  // the kept part, then other bytes
  Download(resumed, package);                    // whole again, from byte 0
  ASSERT_TRUE(resumed.Finish());
  ASSERT_EQ(dl::ExtractPackage(Wide(package_).c_str(), nullptr, Wide(root_ + "\\whole").c_str()),
            dl::kExtractOk);
  EXPECT_EQ(Tree(root_ + "\\out"), Tree(root_ + "\\whole"));
}

// Staged entries reach their places only by MoveIntoPlace, and nothing moves while a file they
// would replace is in use.
TEST_F(StreamUnpack, StagedEntriesMoveIntoPlaceButNeverOverAFileInUse) {
  const std::string staging = root_ + "\\Tavoro.staging";
  const std::string lobby = root_ + "\\Tavoro\\lobby.exe";
  ASSERT_TRUE(CreateDirectoryA((root_ + "\\Tavoro").c_str(), nullptr));
  ASSERT_TRUE(dltest::WriteWholeFile(Wide(lobby), "old"));
  dl::StreamUnpacker unpacker(Wide(package_), Wide(staging + "\\"), true);
  ASSERT_TRUE(unpacker.Start());
  // Half of another package first, followed for a while, then this one from byte 0: nothing of
  // the other may stay staged.
  const std::string other = Bytes("many.zip");
  Download(unpacker, other, 0, other.size() / 2);
  Sleep(300);
  Download(unpacker, Bytes("lobby.zip"));
  ASSERT_TRUE(unpacker.Finish());
  EXPECT_EQ(dltest::ReadWholeFile(Wide(lobby)), "old");

  HANDLE running = CreateFileA(lobby.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(running, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(unpacker.MoveIntoPlace(Wide(root_)));
  CloseHandle(running);
  EXPECT_EQ(dltest::ReadWholeFile(Wide(lobby)), "old");
  EXPECT_FALSE(dltest::FileExists(Wide(root_ + "\\Tavoro\\after.txt")));

  EXPECT_TRUE(unpacker.MoveIntoPlace(Wide(root_)));
  EXPECT_EQ(dltest::ReadWholeFile(Wide(lobby)), "MZ new lobby\n");
  EXPECT_EQ(dltest::ReadWholeFile(Wide(root_ + "\\Tavoro\\later\\deeper\\after.txt")), "after\n");
  EXPECT_EQ(GetFileAttributesA((root_ + "\\many").c_str()), INVALID_FILE_ATTRIBUTES);
  dl::StreamUnpacker::RemoveTree(Wide(staging));
  EXPECT_EQ(GetFileAttributesA(staging.c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
