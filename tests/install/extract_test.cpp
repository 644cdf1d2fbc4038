// ExtractPackage under wine on archives real tools made for this run, and on the test package.
#include <windows.h>
#include <gtest/gtest.h>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "install/package_extract.h"
#include "tests/support/win_test_util.h"

namespace {

using Names = std::vector<std::string>;

std::string Env(const char* name) { return getenv(name) != nullptr ? getenv(name) : ""; }
std::string Archive(const std::string& name) { return Env("DL_EXTRACT_ARCHIVES") + "\\" + name; }
std::wstring Wide(const std::string& path) { return {path.begin(), path.end()}; }
std::string Read(const std::string& path) { return dltest::ReadWholeFile(Wide(path)); }
DWORD Attributes(const std::string& path) { return GetFileAttributesA(path.c_str()); }
bool Exists(const std::string& path) { return Attributes(path) != INVALID_FILE_ATTRIBUTES; }
Names List(const std::string& folder) {
  Names names;
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
  for (bool more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileA(find, &data)) {
    if (strcmp(data.cFileName, ".") && strcmp(data.cFileName, ".."))
      names.push_back(data.cFileName);
  }
  if (find != INVALID_HANDLE_VALUE) FindClose(find);
  std::sort(names.begin(), names.end());
  return names;
}

// Last access and last write time as Unix seconds, "+" marking a fraction.
std::string TimesOf(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
  std::string text;
  for (const FILETIME& t : {data.ftLastAccessTime, data.ftLastWriteTime}) {
    const uint64_t ticks = (uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime;
    text += (text.empty() ? "" : " ") + std::to_string(ticks / 10000000 - 11644473600) +
            (ticks % 10000000 != 0 ? "+" : "");
  }
  return text;
}

class Extract : public ::testing::Test {
 protected:
  void SetUp() override {
    if (Env("DL_EXTRACT_ARCHIVES").empty()) GTEST_SKIP() << "run through extract_archives_test.sh";
    TIME_ZONE_INFORMATION zone;
    GetTimeZoneInformation(&zone);
    ASSERT_EQ(zone.Bias, 300) << "run with TZ=America/New_York";
    const std::wstring root = dltest::FreshTempFolder(L"dl_extract");
    root_.assign(root.begin(), root.end());
  }
  void TearDown() override {
    if (!root_.empty()) dltest::RemoveTree(Wide(root_));  // "" would be the drive's root
  }
  int Run(const std::string& archive, const std::string& destination) {
    outcome_ = {};
    return dl::ExtractPackage(Wide(Archive(archive)).c_str(), nullptr, Wide(destination).c_str(),
                              &outcome_);
  }
  std::string root_;
  dl::ExtractOutcome outcome_;
};

TEST_F(Extract, ArchivesOfThreeToolsGiveTheSourceTreeWithItsTimesAndAttributes) {
  for (const char* archive : {"infozip.zip", "sevenz.zip", "bsdtar.zip"}) {
    SCOPED_TRACE(archive);
    const std::string destination = root_ + "\\" + archive + "\\made\\with parents";
    const std::string top = destination + "\\Tavoro\\";
    ASSERT_EQ(Run(archive, destination), dl::kExtractOk) << outcome_.failedName;
    EXPECT_EQ(outcome_.entriesDone, 12);
    for (const char* file : {"lobby.exe", "readme.txt", "empty.txt", "ro.txt", "data\\big.bin",
                             "data\\zero.bin", "sub\\deeper\\x.txt"}) {
      // The maker gives every file these Unix times; they are read before the contents.
      EXPECT_TRUE(archive[0] != 'i' || TimesOf(top + file) == "1600000000 1590000000") << file;
      EXPECT_TRUE(Exists(top + file) &&
                  Read(top + file) == Read(Env("DL_EXTRACT_ARCHIVES") + "\\tree\\Tavoro\\" + file))
          << file;
    }
    EXPECT_TRUE(Attributes(top + "emptydir") & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_TRUE(Attributes(top + "ro.txt") & FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(Attributes(top + "readme.txt") & FILE_ATTRIBUTE_READONLY);
  }
}

TEST_F(Extract, FatAttributesLocalDosTimesAndUnixTimeBlocks) {
  ASSERT_EQ(Run("python_fat.zip", root_), dl::kExtractOk);
  const std::string fat = root_ + "\\Fat\\";
  std::vector<DWORD> kept;  // read-only, hidden, system
  for (const char* name : {"readonly.txt", "hidden.txt", "system.txt", "plain.bin"})
    kept.push_back(Attributes(fat + name) & 7);
  EXPECT_EQ(kept, (std::vector<DWORD>{1, 2, 4, 0}));
  // 10:20:30 local: standard time in January (UTC-5), daylight saving in July (UTC-4).
  EXPECT_EQ(TimesOf(fat + "readonly.txt"), "1610724030 1610724030");
  EXPECT_EQ(TimesOf(fat + "hidden.txt"), "1626358830 1626358830");

  // The local header's block decides, whatever the central one says; a time it lacks stays DOS.
  ASSERT_EQ(Run("ut_flags.zip", root_), dl::kExtractOk);
  EXPECT_EQ(TimesOf(root_ + "\\ut\\all.txt"), "1100000000 1000000000");
  EXPECT_EQ(TimesOf(root_ + "\\ut\\creation.txt"), "1626358830 1626358830");
}

TEST_F(Extract, BrokenArchivesAndDestinationsGiveTheirOwnResults) {
  const std::string file = root_ + "\\target";
  ASSERT_TRUE(dltest::WriteWholeFile(Wide(file), "keep"));
  const std::pair<const char*, int> kArchives[] = {
      {"missing.zip", dl::kExtractOpenFailed},     {"notzip.zip", dl::kExtractOpenFailed},
      {"truncated.zip", dl::kExtractOpenFailed},   {"infozip_enc.zip", dl::kExtractPassword},
      {"sevenz_bzip2.zip", dl::kExtractBadHeader},  // no decoder: never the compressed bytes
  };
  for (const auto& c : kArchives) EXPECT_EQ(Run(c.first, root_ + "\\out"), c.second) << c.first;
  EXPECT_EQ(Read(root_ + "\\out\\Tavoro\\readme.txt"), "");
  EXPECT_EQ(Run("python_fat.zip", file), dl::kExtractDestinationNotFolder);
  EXPECT_EQ(Run("python_fat.zip", file + "\\sub"), dl::kExtractDestinationNotCreated);
  EXPECT_EQ(Read(file), "keep");
}

TEST_F(Extract, DataThatFailsItsChecksFailsTheEntryAndUndoesTheWorkAheadOfIt) {
  for (const char* archive : {"crc.zip", "short.zip"}) {
    EXPECT_EQ(Run(archive, root_ + "\\" + archive), dl::kExtractDataFailed) << archive;
    EXPECT_EQ(outcome_.failedIndex, 1) << archive;
  }
  EXPECT_EQ(Read(root_ + "\\crc.zip\\crc\\a.txt"), "fine\n");
  // Entry 100 of 200 fails: it and those before stay, what was created ahead of it goes.
  const std::string many = root_ + "\\many";
  ASSERT_EQ(Run("many_crc.zip", many), dl::kExtractDataFailed);
  EXPECT_EQ(outcome_.failedIndex, 100);
  EXPECT_EQ(List(many + "\\many\\f10"), Names{"e100.txt"});
  EXPECT_EQ(List(many + "\\many\\f09").size(), 10u);
  EXPECT_EQ(List(many + "\\many").size(), 11u);  // f00 .. f10
}

TEST_F(Extract, HostileNamesStayInsideTheBaseFolderAndRefusedOnesWriteNothing) {
  const std::string destination = root_ + "\\mid\\dest";
  ASSERT_EQ(Run("hostile_ok.zip", destination), dl::kExtractOk);
  // Where each name lands is the name cleaning's business; here nothing lands outside.
  for (const char* lands : {"x\\y.txt", "x\\y2.txt", "b.txt", "evil.txt", "c", "w.txt", "unc.txt",
                            "drive2.txt", "dot\\d.txt"}) {
    EXPECT_TRUE(Exists(destination + "\\" + lands)) << lands;
  }
  EXPECT_EQ(List(root_ + "\\mid"), Names{"dest"});
  EXPECT_FALSE(Exists("C:\\x\\y.txt") || Exists("C:\\b.txt"));

  for (int i = 0; i < 10; ++i) {  // streams, devices, control characters, dots, nothing
    const std::string archive = "refused_" + std::to_string(i) + ".zip";
    EXPECT_EQ(Run(archive, root_ + "\\r"), dl::kExtractBadHeader) << archive;
    EXPECT_EQ(outcome_.failedIndex, 0) << archive;
    EXPECT_TRUE(List(root_ + "\\r").empty()) << archive;
  }
}

// The same names from every tool that says they are UTF-8, whatever the system's code page; the
// code page's own names (no flag) right in that code page; flagged bytes that are not UTF-8, or
// name a device, refused.
TEST_F(Extract, NamesInAnyLanguageComeOutAsTheArchiveSaysTheyAre) {
  const std::wstring longPath = L"names\\long\\" + std::wstring(40, L'd') + L"\\" +
                                std::wstring(40, L'd') + L"\\" + std::wstring(40, L'd') + L"\\" +
                                std::wstring(40, L'd') + L"\\" + std::wstring(40, L'd') + L"\\" +
                                std::wstring(40, L'd') + L"\\" + std::wstring(40, L'f') + L".txt";
  const std::pair<std::wstring, std::string> kFiles[] = {
      {L"names\\\u4e16\u754c\\\u8d44\u6e90.txt", "world\n"},
      {L"names\\caf\u00e9\\\u00f1and\u00fa.txt", "cafe\n"},
      {L"names\\\u65e5\u672c\u8a9e\\\u30c6\u30b9\u30c8.txt", "nihongo\n"},
      {L"names\\\xD83C\xDFAE.txt", "game\n"},
      {longPath, "long\n"}};
  const std::wstring root = L"\\\\?\\" + Wide(root_) + L"\\";  // reads past 260 characters
  for (const char* archive : {"uni_7z.zip", "uni_bsdtar.zip", "uni_python.zip", "uni_field.zip"}) {
    SCOPED_TRACE(archive);
    ASSERT_EQ(Run(archive, root_ + "\\" + archive), dl::kExtractOk) << outcome_.failedName;
    for (const auto& file : kFiles) {
      EXPECT_EQ(dltest::ReadWholeFile(root + Wide(archive) + L"\\" + file.first), file.second)
          << file.second;
    }
  }
  EXPECT_EQ(Read(root_ + "\\uni_field.zip\\stale.txt"), "stale\n") << "a stale field is ignored";

  ASSERT_EQ(Run("gbk.zip", root_ + "\\gbk"), dl::kExtractOk) << outcome_.failedName;
  if (GetACP() == 936) {
    EXPECT_EQ(dltest::ReadWholeFile(root + L"gbk\\\u4e2d\u6587\\\u8bf4\u660e.txt"), "gbk\n");
    EXPECT_EQ(dltest::ReadWholeFile(root + L"gbk\\\u4e57\\x.txt"), "trail 5c\n");
  }
  for (int i = 0; i < 4; ++i) {
    const std::string archive = "uni_refused_" + std::to_string(i) + ".zip";
    EXPECT_EQ(Run(archive, root_ + "\\r"), dl::kExtractBadHeader) << archive;
    EXPECT_TRUE(List(root_ + "\\r").empty()) << archive;
  }
  const char* acp = getenv("DL_EXPECT_ACP");
  if (acp != nullptr) {
    EXPECT_EQ(GetACP(), static_cast<UINT>(atoi(acp)));
  }
}

// The worker starts an existing lobby instead when it cannot be replaced: that is result 512.
TEST_F(Extract, LobbyInUseStopsTheExtractionWith512) {
  const std::string lobby = root_ + "\\Tavoro\\lobby.exe";
  ASSERT_TRUE(CreateDirectoryA((root_ + "\\Tavoro").c_str(), nullptr));
  ASSERT_TRUE(dltest::WriteWholeFile(Wide(lobby), "old"));
  HANDLE running = CreateFileA(lobby.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(running, INVALID_HANDLE_VALUE);
  EXPECT_EQ(Run("lobby.zip", root_), dl::kExtractCreateFailed);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  EXPECT_EQ(std::wstring(outcome_.failedName), L"Tavoro\\lobby.exe");
  // Nothing after the failing entry, though files and folders are created ahead of it.
  EXPECT_EQ(List(root_ + "\\Tavoro"), Names{"lobby.exe"});
  CloseHandle(running);
  EXPECT_EQ(Read(lobby), "old");
  EXPECT_EQ(Run("lobby.zip", root_), dl::kExtractOk);
  EXPECT_EQ(Read(lobby), "MZ new lobby\n");
}

TEST(ExtractTestPackage, UnpacksEveryEntry) {
  const std::string package = Env("DL_EXTRACT_PACKAGE");
  const std::string destination = Env("DL_EXTRACT_OUT");
  if (package.empty() || destination.empty()) GTEST_SKIP() << "run by extract_package_test.sh";
  dl::ExtractOutcome outcome;  // the script compares the tree with unzip's
  EXPECT_EQ(dl::ExtractPackage(Wide(package).c_str(), nullptr, Wide(destination).c_str(), &outcome),
            dl::kExtractOk)
      << outcome.failedName;
}

}  // namespace
