// ExtractPackage under wine on archives that real tools made for this run
// (extract_make_archives.py, started by extract_archives_test.sh), and on the project's test
// package (extract_package_test.sh). Runs with TZ=America/New_York: DOS times are local.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/win_handles.h"
#include "install/package_extract.h"
#include "tests/support/win_test_util.h"

namespace {

using Names = std::vector<std::string>;

std::string Env(const char* name) {
  char value[1024];
  DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
  return n > 0 && n < sizeof value ? std::string(value, n) : std::string();
}
std::wstring Wide(const std::string& text) {
  wchar_t out[1024];
  return MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, out, 1024) > 0 ? out : L"";
}
std::string Archive(const char* name) { return Env("DL_EXTRACT_ARCHIVES") + "\\" + name; }
std::string Read(const std::string& path) { return dltest::ReadWholeFile(Wide(path)); }
bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}
DWORD Attributes(const std::string& path) { return GetFileAttributesA(path.c_str()); }

Names List(const std::string& folder) {
  Names names;
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    std::string name = data.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileA(find, &data));
  FindClose(find);
  std::sort(names.begin(), names.end());
  return names;
}

uint64_t Ticks(const FILETIME& t) { return (uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime; }
uint64_t UnixTicks(uint64_t seconds) { return (seconds + 11644473600ull) * 10000000ull; }
uint64_t UtcTicks(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second) {
  SYSTEMTIME utc = {year, month, 0, day, hour, minute, second, 0};
  FILETIME time;
  SystemTimeToFileTime(&utc, &time);
  return Ticks(time);
}
// Last access and last write time, in that order.
std::pair<uint64_t, uint64_t> TimesOf(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
  return {Ticks(data.ftLastAccessTime), Ticks(data.ftLastWriteTime)};
}
std::pair<uint64_t, uint64_t> Both(uint64_t ticks) { return {ticks, ticks}; }

// Files of the tree the tool-made archives hold, under their top folder "Tavoro", and the
// times extract_make_archives.py gives them.
const char* const kTreeFiles[] = {"lobby.exe",     "readme.txt",     "empty.txt",         "ro.txt",
                                  "data\\big.bin", "data\\zero.bin", "sub\\deeper\\x.txt"};
constexpr uint64_t kTreeModified = 1590000000;
constexpr uint64_t kTreeAccessed = 1600000000;

class Extract : public ::testing::Test {
 protected:
  void SetUp() override {
    if (Env("DL_EXTRACT_ARCHIVES").empty()) {
      GTEST_SKIP() << "DL_EXTRACT_ARCHIVES is not set: run through extract_archives_test.sh";
    }
    TIME_ZONE_INFORMATION zone;
    GetTimeZoneInformation(&zone);
    ASSERT_EQ(zone.Bias, 300) << "run with TZ=America/New_York";
    // Short: one test composes paths right up to the length limit under it.
    static int counter = 0;
    const std::wstring root =
        dltest::FreshTempFolder((L"dl_extract_" + std::to_wstring(++counter)).c_str());
    char narrow[MAX_PATH] = {};
    WideCharToMultiByte(CP_ACP, 0, root.c_str(), -1, narrow, MAX_PATH, nullptr, nullptr);
    root_ = narrow;
  }
  void TearDown() override {
    if (!root_.empty()) dltest::RemoveTree(Wide(root_));
  }

  int Run(const char* archive, const std::string& destination,
          dl::ExtractOutcome* outcome = nullptr, const char* password = nullptr) {
    return dl::ExtractPackage(Archive(archive).c_str(), password, destination.c_str(), outcome);
  }

  std::string root_;
};

TEST_F(Extract, DestinationIsCreatedWithParentsButNeverReplacesAFile) {
  const std::string created = root_ + "\\a\\b\\c";
  ASSERT_EQ(Run("python_fat.zip", created), dl::kExtractOk);
  EXPECT_EQ(Read(created + "\\Fat\\readonly.txt"), "read-only\n");
  const std::string file = root_ + "\\target";
  ASSERT_TRUE(dltest::WriteWholeFile(Wide(file), "keep"));
  EXPECT_EQ(Run("python_fat.zip", file), dl::kExtractDestinationNotFolder);
  EXPECT_EQ(Run("python_fat.zip", file + "\\sub"), dl::kExtractDestinationNotCreated);
  EXPECT_EQ(Read(file), "keep");
  EXPECT_EQ(List(root_), (Names{"a", "target"}));
}

TEST_F(Extract, WhatIsNoZipArchiveFailsToOpen) {
  const std::string destination = root_ + "\\out";
  dl::ExtractOutcome outcome;
  EXPECT_EQ(Run("missing.zip", destination, &outcome), dl::kExtractOpenFailed);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(outcome.lastError, static_cast<uint32_t>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(Run("notzip.zip", destination, &outcome), dl::kExtractOpenFailed);
  EXPECT_EQ(outcome.packageSize, 920u);
  EXPECT_EQ(Run("truncated.zip", destination), dl::kExtractOpenFailed);
  EXPECT_TRUE(List(destination).empty());
}

TEST_F(Extract, ArchivesOfThreeToolsGiveTheSourceTree) {
  for (const char* archive : {"infozip.zip", "sevenz.zip", "bsdtar.zip"}) {
    SCOPED_TRACE(archive);
    const std::string top = root_ + "\\" + archive + "\\Tavoro\\";
    dl::ExtractOutcome outcome;
    ASSERT_EQ(Run(archive, root_ + "\\" + archive, &outcome), dl::kExtractOk) << outcome.failedName;
    EXPECT_EQ(outcome.entriesDone, 12);
    EXPECT_EQ(outcome.failedIndex, -1);
    if (archive == std::string("infozip.zip")) {
      // Unix times first: reading the files for the comparison moves their access times.
      for (const char* file : kTreeFiles) {
        EXPECT_EQ(TimesOf(top + file),
                  std::make_pair(UnixTicks(kTreeAccessed), UnixTicks(kTreeModified)))
            << file;
      }
      // One read per entry's local header, one per window of data, a few for the end record
      // and the directory (read twice: the files ahead are created from a second reader).
      const uint64_t windows = outcome.packageSize / dl::kZipWindowBytes + 1;
      EXPECT_LE(outcome.readCalls, static_cast<uint64_t>(outcome.entriesDone) + windows + 8);
      EXPECT_GE(outcome.readCalls, windows);
      EXPECT_EQ(outcome.bytesWritten, 1373905u);
    }
    for (const char* file : kTreeFiles) {
      EXPECT_TRUE(Exists(top + file) &&
                  Read(top + file) == Read(Env("DL_EXTRACT_ARCHIVES") + "\\tree\\Tavoro\\" + file))
          << file;
    }
    EXPECT_TRUE(Attributes(top + "emptydir") != INVALID_FILE_ATTRIBUTES &&
                (Attributes(top + "emptydir") & FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_TRUE(Attributes(top + "ro.txt") & FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(Attributes(top + "readme.txt") & FILE_ATTRIBUTE_READONLY);
  }

  // The creation time is the DOS time (local, daylight saving in May) back in UTC: the same
  // moment. Wine keeps no creation time on disk, so the record shows what was set.
  dl::PackageReader reader;
  ASSERT_EQ(reader.Open(Archive("infozip.zip").c_str(), nullptr), dl::kExtractOk);
  dl::PackageEntry entry;
  ASSERT_EQ(reader.ReadEntry(1, &entry), dl::kExtractOk);
  ASSERT_STREQ(entry.name, "Tavoro\\readme.txt");
  ASSERT_EQ(reader.OpenEntryData(&entry), dl::kExtractOk);
  EXPECT_EQ(Ticks(entry.creationTime), UnixTicks(kTreeModified));
  EXPECT_EQ(Ticks(entry.accessTime), UnixTicks(kTreeAccessed));
}

TEST_F(Extract, EncryptedOrUnsupportedEntriesAreRefused) {
  dl::ExtractOutcome outcome;
  EXPECT_EQ(Run("infozip_enc.zip", root_ + "\\e1", &outcome), dl::kExtractPassword);
  EXPECT_STREQ(outcome.failedName, "Tavoro\\readme.txt");
  EXPECT_EQ(Run("infozip_enc.zip", root_ + "\\e2", nullptr, "secret"), dl::kExtractPassword);
  // Without a decoder the library would hand out the compressed bytes as the file's content.
  EXPECT_EQ(Run("sevenz_bzip2.zip", root_ + "\\bz", &outcome), dl::kExtractBadHeader);
  EXPECT_EQ(Read(root_ + "\\bz\\Tavoro\\readme.txt"), "");
}

TEST_F(Extract, FatAttributesAndLocalDosTimes) {
  ASSERT_EQ(Run("python_fat.zip", root_), dl::kExtractOk);
  const std::string fat = root_ + "\\Fat\\";
  const DWORD kKept = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  EXPECT_EQ(Attributes(fat + "readonly.txt") & kKept, DWORD{FILE_ATTRIBUTE_READONLY});
  EXPECT_EQ(Attributes(fat + "hidden.txt") & kKept, DWORD{FILE_ATTRIBUTE_HIDDEN});
  EXPECT_EQ(Attributes(fat + "system.txt") & kKept, DWORD{FILE_ATTRIBUTE_SYSTEM});
  EXPECT_EQ(Attributes(fat + "plain.bin") & kKept, 0u);
  EXPECT_TRUE(Attributes(fat + "dir") & FILE_ATTRIBUTE_DIRECTORY);
  // 10:20:30 local: standard time in January (UTC-5), daylight saving in July (UTC-4).
  EXPECT_EQ(TimesOf(fat + "readonly.txt"), Both(UtcTicks(2021, 1, 15, 15, 20, 30)));
  EXPECT_EQ(TimesOf(fat + "hidden.txt"), Both(UtcTicks(2021, 7, 15, 14, 20, 30)));
}

TEST_F(Extract, UnixTimeBlockOfTheLocalHeaderOverridesWhatItsFlagsSay) {
  ASSERT_EQ(Run("ut_flags.zip", root_), dl::kExtractOk);
  EXPECT_EQ(TimesOf(root_ + "\\ut\\all.txt"),
            std::make_pair(UnixTicks(1100000000), UnixTicks(1000000000)));
  EXPECT_EQ(TimesOf(root_ + "\\ut\\creation.txt"), Both(UtcTicks(2021, 7, 15, 14, 20, 30)));

  dl::PackageReader reader;
  ASSERT_EQ(reader.Open(Archive("ut_flags.zip").c_str(), nullptr), dl::kExtractOk);
  dl::PackageEntry entry;
  ASSERT_EQ(reader.ReadEntry(1, &entry), dl::kExtractOk);
  EXPECT_EQ(Ticks(entry.creationTime), UtcTicks(2021, 7, 15, 14, 20, 30));  // DOS until opened
  ASSERT_EQ(reader.OpenEntryData(&entry), dl::kExtractOk);
  EXPECT_EQ(Ticks(entry.creationTime), UnixTicks(1300000000));
  EXPECT_EQ(Ticks(entry.modificationTime), UtcTicks(2021, 7, 15, 14, 20, 30));
  ASSERT_EQ(reader.ReadEntry(0, &entry), dl::kExtractOk);  // backwards works too
  ASSERT_STREQ(entry.name, "ut\\all.txt");
  ASSERT_EQ(reader.OpenEntryData(&entry), dl::kExtractOk);
  EXPECT_EQ(Ticks(entry.creationTime), UnixTicks(1200000000));
}

TEST_F(Extract, DataThatFailsItsChecksFailsTheEntryAndUndoesTheWorkAheadOfIt) {
  dl::ExtractOutcome outcome;
  EXPECT_EQ(Run("crc.zip", root_ + "\\crc", &outcome), dl::kExtractDataFailed);
  EXPECT_EQ(outcome.failedIndex, 1);
  EXPECT_STREQ(outcome.failedName, "crc\\b.txt");
  EXPECT_EQ(Read(root_ + "\\crc\\crc\\a.txt"), "fine\n");
  EXPECT_EQ(Run("short.zip", root_ + "\\short", &outcome), dl::kExtractDataFailed);
  EXPECT_EQ(outcome.failedIndex, 1);
  EXPECT_EQ(Read(root_ + "\\short\\short\\first.txt"), "first\n");

  // Entry 100 of 200 fails: its partly written file stays, as the entries before it do,
  // while the files and folders created ahead of it go.
  const std::string many = root_ + "\\many";
  ASSERT_EQ(Run("many_crc.zip", many, &outcome), dl::kExtractDataFailed);
  EXPECT_EQ(outcome.failedIndex, 100);
  EXPECT_EQ(outcome.entriesDone, 100);
  EXPECT_EQ(List(many + "\\many\\f10"), Names{"e100.txt"});
  EXPECT_EQ(List(many + "\\many\\f09").size(), 10u);
  EXPECT_EQ(List(many + "\\many").size(), 11u);  // f00 .. f10

  // An empty entry whose inflating fails has nothing wrong in it.
  ASSERT_EQ(Run("empty_error.zip", root_, &outcome), dl::kExtractOk);
  EXPECT_EQ(outcome.entriesDone, 2);
  EXPECT_TRUE(Exists(root_ + "\\emptyerr\\e.bin"));
  EXPECT_EQ(Read(root_ + "\\emptyerr\\next.txt"), "next\n");
}

TEST_F(Extract, HostileNamesStayInsideTheBaseFolder) {
  const std::string destination = root_ + "\\mid\\dest";
  ASSERT_EQ(Run("hostile_ok.zip", destination), dl::kExtractOk);
  const struct {
    const char* lands;
    const char* raw;
  } kCases[] = {
      {"x\\y.txt", "C:\\x\\y.txt"},
      {"x\\y2.txt", "/x/y2.txt"},
      {"b.txt", "a/../../b.txt"},
      {"evil.txt", "..\\..\\evil.txt"},
      {"c", "a/..\\..\\c"},
      {"w.txt", "W:../w.txt"},
      {"unc.txt", "\\\\server\\share\\unc.txt"},
      {"drive2.txt", "../C:/drive2.txt"},
      {"dot\\d.txt", "./dot/./d.txt"},
  };
  for (const auto& c : kCases) EXPECT_EQ(Read(destination + "\\" + c.lands), c.raw) << c.raw;
  EXPECT_EQ(List(root_), Names{"mid"});
  EXPECT_EQ(List(root_ + "\\mid"), Names{"dest"});
  EXPECT_FALSE(Exists("C:\\x\\y.txt"));
  EXPECT_FALSE(Exists("C:\\b.txt"));
}

TEST_F(Extract, RefusedNamesFailAndWriteNothing) {
  for (int i = 0; i < 10; ++i) {
    const std::string archive = "refused_" + std::to_string(i) + ".zip";
    const std::string destination = root_ + "\\r" + std::to_string(i);
    dl::ExtractOutcome outcome;
    EXPECT_EQ(Run(archive.c_str(), destination, &outcome), dl::kExtractBadHeader) << archive;
    EXPECT_EQ(outcome.failedIndex, 0) << archive;
    EXPECT_TRUE(List(destination).empty()) << archive;
  }
  EXPECT_EQ(List(root_).size(), 10u);
}

TEST_F(Extract, ComposedPathsAreLimitedTo259Characters) {
  // The entry's name has 200 characters: a 58-character destination gives 58 + 1 + 200.
  ASSERT_LT(root_.size() + 1, 58u);
  const std::string fits = root_ + "\\" + std::string(58 - root_.size() - 1, 'p');
  ASSERT_EQ(Run("long.zip", fits), dl::kExtractOk);
  EXPECT_EQ(Read(fits + "\\long\\" + std::string(191, 'n') + ".txt"), "long\n");
  const std::string tooLong = root_ + "\\" + std::string(59 - root_.size() - 1, 'q');
  dl::ExtractOutcome outcome;
  EXPECT_EQ(Run("long.zip", tooLong, &outcome), dl::kExtractCreateFailed);
  EXPECT_EQ(outcome.lastError, static_cast<uint32_t>(ERROR_FILENAME_EXCED_RANGE));
  EXPECT_TRUE(List(tooLong).empty());
}

TEST_F(Extract, LobbyThatCannotBeReplacedStopsTheExtractionWith512) {
  const std::string lobby = root_ + "\\Tavoro\\lobby.exe";
  ASSERT_TRUE(CreateDirectoryA((root_ + "\\Tavoro").c_str(), nullptr));
  ASSERT_TRUE(dltest::WriteWholeFile(Wide(lobby), "old"));
  ASSERT_TRUE(SetFileAttributesA(lobby.c_str(), FILE_ATTRIBUTE_READONLY));
  dl::ExtractOutcome outcome;
  EXPECT_EQ(Run("lobby.zip", root_, &outcome), dl::kExtractCreateFailed);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(outcome.failedIndex, 0);
  EXPECT_STREQ(outcome.failedName, "Tavoro\\lobby.exe");
  // Nothing after the failing entry, though files and folders are created ahead of it.
  EXPECT_FALSE(Exists(root_ + "\\Tavoro\\after.txt"));
  EXPECT_FALSE(Exists(root_ + "\\Tavoro\\later"));
  ASSERT_TRUE(SetFileAttributesA(lobby.c_str(), FILE_ATTRIBUTE_NORMAL));
  {
    dl::UniqueFile running(
        CreateFileA(lobby.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(running.IsValid());
    EXPECT_EQ(Run("lobby.zip", root_), dl::kExtractCreateFailed);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_FALSE(Exists(root_ + "\\Tavoro\\after.txt"));
  }
  EXPECT_EQ(Read(lobby), "old");
  EXPECT_EQ(Run("lobby.zip", root_), dl::kExtractOk);
  EXPECT_EQ(Read(lobby), "MZ new lobby\n");
}

TEST_F(Extract, LaterEntriesOfTheSameNameWin) {
  for (int round = 0; round < 2; ++round) {  // the second time every file exists
    ASSERT_EQ(Run("duplicate.zip", root_), dl::kExtractOk) << round;
    EXPECT_EQ(Read(root_ + "\\d\\a.txt"), "second\n") << round;
    EXPECT_EQ(List(root_ + "\\d"), (Names{"a.txt", "b.txt"})) << round;
  }
}

TEST(ExtractTestPackage, UnpacksEveryEntry) {
  const std::string package = Env("DL_EXTRACT_PACKAGE");
  const std::string destination = Env("DL_EXTRACT_OUT");
  if (package.empty() || destination.empty()) {
    GTEST_SKIP() << "DL_EXTRACT_PACKAGE and DL_EXTRACT_OUT are not set";
  }
  dl::ExtractOutcome outcome;
  ASSERT_EQ(dl::ExtractPackage(package.c_str(), nullptr, destination.c_str(), &outcome),
            dl::kExtractOk)
      << outcome.failedName;
  dl::PackageReader reader;
  ASSERT_EQ(reader.Open(package.c_str(), nullptr), dl::kExtractOk);
  EXPECT_EQ(outcome.entriesDone, reader.EntryCount());
  EXPECT_TRUE(Exists(destination + "\\Tavoro\\lobby.exe"));
}

}  // namespace
