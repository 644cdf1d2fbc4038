// Downloads into a fresh folder against the local nginx (real files, real Last-Modified and
// ranges) and the fault server (dropped connections, wrong ranges, missing headers).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/net/recording_client.h"
#include "tests/net/server_env.h"
#include "tests/support/win_test_util.h"

namespace {

using nettest::FaultHost;
using nettest::NginxHost;
using nettest::Pattern;
using nettest::RecordingClient;

// The fault server's default Last-Modified, Wed, 21 Oct 2015 07:28:00 GMT.
const SYSTEMTIME kFaultTime = {2015, 10, 0, 21, 7, 28, 0, 0};
const SYSTEMTIME kPackageTime = {2021, 3, 0, 14, 15, 9, 26, 0};

bool SameSecond(const SYSTEMTIME& a, const SYSTEMTIME& b) {
  return a.wYear == b.wYear && a.wMonth == b.wMonth && a.wDay == b.wDay && a.wHour == b.wHour &&
         a.wMinute == b.wMinute && a.wSecond == b.wSecond;
}

std::string Describe(const SYSTEMTIME& t) {
  char text[64];
  snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u.%03u", t.wYear, t.wMonth, t.wDay,
           t.wHour, t.wMinute, t.wSecond, t.wMilliseconds);
  return text;
}

class DownloadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(NginxHost().empty()) << "the local servers are not running";
    marker_ = nettest::RunMarker();
    wchar_t cwd[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, cwd);
    oldCwd_ = cwd;
    folder_ = dltest::FreshTempFolder(
        (L"dl-download-" + std::wstring(marker_.begin(), marker_.end())).c_str());
    ASSERT_TRUE(SetCurrentDirectoryW(folder_.c_str()));
  }
  void TearDown() override {
    SetCurrentDirectoryW(oldCwd_.c_str());
    dltest::RemoveTree(folder_);
    for (const std::string& name : served_) nettest::RemoveUpdateFile(name);
  }

  // An object on nginx with the given bytes and time; returns its path.
  std::string Serve(const std::string& bytes, const SYSTEMTIME& time = kPackageTime) {
    const std::string name = "pkg-" + marker_ + "-" + std::to_string(served_.size()) + ".zip";
    EXPECT_TRUE(nettest::PutUpdateFile(name, bytes, &time));
    served_.push_back(name);
    return "/update/" + name;
  }

  static std::string Local(const char* name) {
    return dltest::ReadWholeFile(std::wstring(name, name + strlen(name)));
  }
  static bool Exists(const char* name) {
    return GetFileAttributesA(name) != INVALID_FILE_ATTRIBUTES;
  }
  static bool WriteLocal(const char* name, const std::string& bytes, const SYSTEMTIME& time) {
    return dltest::WriteWholeFile(std::wstring(name, name + strlen(name)), bytes) &&
           Stamp(name, time);
  }
  static bool Stamp(const char* name, const SYSTEMTIME& time) {
    HANDLE file = CreateFileA(name, FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    FILETIME stamp;
    const bool ok = file != INVALID_HANDLE_VALUE && SystemTimeToFileTime(&time, &stamp) &&
                    SetFileTime(file, nullptr, nullptr, &stamp);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    return ok;
  }
  static SYSTEMTIME LastWrite(const char* name) {
    SYSTEMTIME time = {};
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (GetFileAttributesExA(name, GetFileExInfoStandard, &data)) {
      FileTimeToSystemTime(&data.ftLastWriteTime, &time);
    }
    return time;
  }
  int FaultRequests(const std::string& path, const std::string& piece = "") {
    return nettest::WaitForLogLines("fault.log", 1, "\"path\": \"" + path + "\"", piece);
  }

  std::string marker_;
  std::wstring oldCwd_, folder_;
  std::vector<std::string> served_;
};

TEST_F(DownloadTest, FreshDownloadIsStampedAndReportedPerBlock) {
  const std::string body = Pattern(100000, 3);
  const std::string path = Serve(body);
  RecordingClient client;
  ASSERT_EQ(client.Connect(NginxHost().c_str(), nullptr, nullptr, 42), 1);
  // Sub-folders with either separator are made on the way.
  ASSERT_EQ(client.DownloadToFile(path.c_str(), "a/b\\c/pkg.install", 1), 0);
  EXPECT_EQ(Local("a\\b\\c\\pkg.install"), body);
  const SYSTEMTIME written = LastWrite("a/b/c/pkg.install");
  EXPECT_TRUE(SameSecond(written, kPackageTime)) << Describe(written);

  ASSERT_EQ(client.calls.size(), (body.size() + 4095) / 4096);
  uint64_t before = 0;
  for (const nettest::ProgressCall& call : client.calls) {
    EXPECT_EQ(call.status, 1);
    EXPECT_EQ(call.tag, 42);
    EXPECT_EQ(call.total, body.size());
    EXPECT_GT(call.fileBytes, before);
    EXPECT_LE(call.fileBytes - before, 4096u);
    EXPECT_EQ(call.received, call.fileBytes);
    EXPECT_GE(call.elapsed, 1u);
    before = call.fileBytes;
  }
  EXPECT_EQ(before, body.size());
  EXPECT_FALSE(client.fileHandleBad);

  // The same version again: nothing is read, one status-0 call, the file is left alone.
  client.calls.clear();
  ASSERT_EQ(client.DownloadToFile(path.c_str(), "a/b/c/pkg.install", 1), 1);
  ASSERT_EQ(client.calls.size(), 1u);
  EXPECT_EQ(client.calls[0].status, 0);
  EXPECT_EQ(client.calls[0].fileBytes, body.size());
  EXPECT_EQ(client.calls[0].total, body.size());
  EXPECT_EQ(client.bytesReceived, body.size());
  EXPECT_EQ(nettest::WaitForLogLines("access.log", 2, "GET " + path + " \"-\""), 2);
  EXPECT_EQ(nettest::CountLogLines("access.log", "GET " + path + " \"bytes"), 0);
}

TEST_F(DownloadTest, DroppedConnectionResumesFromTheFileSize) {
  RecordingClient client;
  ASSERT_EQ(client.Connect(FaultHost().c_str(), nullptr, nullptr, 0), 1);
  ASSERT_EQ(client.DownloadToFile("/drop/100000/30000", "pkg.install", 1), -2);
  EXPECT_EQ(Local("pkg.install"), Pattern(30000));
  EXPECT_TRUE(SameSecond(LastWrite("pkg.install"), kFaultTime));

  ASSERT_EQ(client.DownloadToFile("/drop/100000/100000", "pkg.install", 1), 0);
  EXPECT_EQ(Local("pkg.install"), Pattern(100000));
  EXPECT_TRUE(SameSecond(LastWrite("pkg.install"), kFaultTime));
  EXPECT_EQ(FaultRequests("/drop/100000/100000", "\"range\": \"bytes=30000-\""), 1);
  // The counters run on across calls: the whole object was received exactly once.
  EXPECT_EQ(client.bytesReceived, 100000u);
  EXPECT_EQ(client.calls.back().fileBytes, 100000u);
}

TEST_F(DownloadTest, AnotherVersionOrNoResumeStartsOver) {
  RecordingClient client;
  ASSERT_EQ(client.Connect(FaultHost().c_str(), nullptr, nullptr, 0), 1);
  const std::string garbage(20000, '\xEE');

  // One second off the server's time is another version.
  SYSTEMTIME offBySecond = kFaultTime;
  offBySecond.wSecond = 1;
  ASSERT_TRUE(WriteLocal("old.install", garbage, offBySecond));
  ASSERT_EQ(client.DownloadToFile(("/drop/50000/50000?v=" + marker_).c_str(), "old.install", 1), 0);
  EXPECT_EQ(Local("old.install"), Pattern(50000));

  // A changed Last-Modified (the ?lm= of the fault server) starts over and re-stamps.
  ASSERT_EQ(client.DownloadToFile("/drop/50000/20000?lm=1600000000", "lm.install", 1), -2);
  ASSERT_EQ(client.DownloadToFile("/drop/60000/60000?lm=1600000100", "lm.install", 1), 0);
  EXPECT_EQ(Local("lm.install"), Pattern(60000));
  const SYSTEMTIME lm = {2020, 9, 0, 13, 12, 28, 20, 0};  // 1600000100
  EXPECT_TRUE(SameSecond(LastWrite("lm.install"), lm)) << Describe(LastWrite("lm.install"));

  // The right version, but resume 0.
  ASSERT_TRUE(WriteLocal("noresume.install", garbage, kFaultTime));
  ASSERT_EQ(
      client.DownloadToFile(("/drop/50000/50000?n=" + marker_).c_str(), "noresume.install", 0), 0);
  EXPECT_EQ(Local("noresume.install"), Pattern(50000));
  EXPECT_EQ(nettest::CountLogLines("fault.log", "n=" + marker_, "range"), 0);
}

// Servers that answer the ranged request with the whole object: the file is rewritten from
// the start, never appended to at the old offset.
TEST_F(DownloadTest, WholeObjectAnswersToARangeRewriteFromZero) {
  RecordingClient client;
  ASSERT_EQ(client.Connect(FaultHost().c_str(), nullptr, nullptr, 0), 1);
  for (const char* path : {"/ignore-range/80000", "/bad-content-range/80000"}) {
    ASSERT_TRUE(WriteLocal("pkg.install", std::string(30000, '\xEE'), kFaultTime));
    EXPECT_EQ(client.DownloadToFile(path, "pkg.install", 1), 0) << path;
    EXPECT_EQ(Local("pkg.install"), Pattern(80000)) << path;
    EXPECT_TRUE(SameSecond(LastWrite("pkg.install"), kFaultTime)) << path;
  }
}

TEST_F(DownloadTest, RefusedRangeStartsOverUnlessTheServerCallsTheFileComplete) {
  RecordingClient client;
  ASSERT_EQ(client.Connect(FaultHost().c_str(), nullptr, nullptr, 0), 1);

  // A local file longer than the object: 416, and the download starts over.
  ASSERT_TRUE(WriteLocal("long.install", std::string(150000, '\xEE'), kFaultTime));
  EXPECT_EQ(client.DownloadToFile("/range416/100000", "long.install", 1), 0);
  EXPECT_EQ(Local("long.install"), Pattern(100000));

  // A ranged request answered with an error status: the same.
  ASSERT_TRUE(WriteLocal("error.install", std::string(500, '\xEE'), kFaultTime));
  EXPECT_EQ(client.DownloadToFile("/status/200", "error.install", 1), 0);
  EXPECT_EQ(Local("error.install"), Pattern(1000));

  // The refusal itself says the object is as long as the file: complete, untouched.
  const std::string have = Pattern(40000);
  ASSERT_TRUE(WriteLocal("done.install", have, kFaultTime));
  client.calls.clear();
  EXPECT_EQ(client.DownloadToFile("/range416/100000?total=40000", "done.install", 1), 1);
  EXPECT_EQ(Local("done.install"), have);
  ASSERT_EQ(client.calls.size(), 1u);
  EXPECT_EQ(client.calls[0].status, 0);
  EXPECT_EQ(client.calls[0].fileBytes, 40000u);
}

TEST_F(DownloadTest, UnreadableHeadersFailBeforeAnyFileIsMade) {
  RecordingClient client;
  ASSERT_EQ(client.Connect(FaultHost().c_str(), nullptr, nullptr, 0), 1);
  EXPECT_EQ(client.DownloadToFile("/no-last-modified/1000", "x/a.install", 1), -1);
  EXPECT_EQ(client.DownloadToFile("/no-length/1000", "x/b.install", 1), -1);
  EXPECT_EQ(client.DownloadToFile("/status/404", "x/c.install", 1), -1);
  EXPECT_EQ(client.DownloadToFile("/drop/1000/1000?lm=notanumber", "x/d.install", 1), -1);
  EXPECT_FALSE(Exists("x"));
  EXPECT_TRUE(client.calls.empty());
}

TEST_F(DownloadTest, StopRequestEndsTheTransferWithTheStampInPlace) {
  const std::string body = Pattern(200000);
  const std::string path = Serve(body);
  RecordingClient client;
  ASSERT_EQ(client.Connect(NginxHost().c_str(), nullptr, nullptr, 0), 1);
  client.stopAfterBlocks = 3;
  ASSERT_EQ(client.DownloadToFile(path.c_str(), "pkg.install", 1), -4);
  EXPECT_EQ(Local("pkg.install"), body.substr(0, 3 * 4096));
  EXPECT_TRUE(SameSecond(LastWrite("pkg.install"), kPackageTime));

  // Connect clears the request; the next call continues the stopped file.
  ASSERT_EQ(client.Connect(NginxHost().c_str(), nullptr, nullptr, 0), 1);
  ASSERT_EQ(client.DownloadToFile(path.c_str(), "pkg.install", 1), 0);
  EXPECT_EQ(Local("pkg.install"), body);
  EXPECT_EQ(client.bytesReceived, body.size() - 3 * 4096);
  EXPECT_EQ(nettest::WaitForLogLines("access.log", 1, path + " \"bytes=12288-\" 206"), 1);
}

TEST_F(DownloadTest, EmptyObjectIsCompleteAtTheSecondCall) {
  const std::string path = Serve("");
  RecordingClient client;
  ASSERT_EQ(client.Connect(NginxHost().c_str(), nullptr, nullptr, 0), 1);
  EXPECT_EQ(client.DownloadToFile(path.c_str(), "empty.install", 1), -2);
  ASSERT_TRUE(Exists("empty.install"));
  EXPECT_TRUE(SameSecond(LastWrite("empty.install"), kPackageTime));
  EXPECT_EQ(client.DownloadToFile(path.c_str(), "empty.install", 1), 1);
}

TEST_F(DownloadTest, LocalFileProblemsAreMinusThree) {
  const std::string path = Serve(Pattern(5000));
  RecordingClient client;
  ASSERT_EQ(client.Connect(NginxHost().c_str(), nullptr, nullptr, 0), 1);
  ASSERT_TRUE(WriteLocal("blocker", "not a folder", kPackageTime));
  EXPECT_EQ(client.DownloadToFile(path.c_str(), "blocker/pkg.install", 1), -3);
  EXPECT_EQ(Local("blocker"), "not a folder");

  const std::string overlong = std::string(4100, 'n') + ".install";
  EXPECT_EQ(client.DownloadToFile(path.c_str(), overlong.c_str(), 1), -3);

  // A file opened elsewhere without sharing cannot be written.
  HANDLE held = CreateFileA("held.install", GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_EQ(client.DownloadToFile(path.c_str(), "held.install", 1), -3);
  CloseHandle(held);
}

TEST_F(DownloadTest, ReadsNeverPassTheAnnouncedTotalAndShortBodiesFail) {
  RecordingClient client;
  ASSERT_EQ(client.Connect(FaultHost().c_str(), nullptr, nullptr, 0), 1);
  // Content-Length above 4 GiB: kept in full, and the early close is a failed read.
  EXPECT_EQ(client.DownloadToFile("/huge-length", "huge.install", 1), -2);
  ASSERT_FALSE(client.calls.empty());
  EXPECT_EQ(client.calls.back().total, 5000000000ull);
  EXPECT_EQ(client.calls.back().fileBytes, 4096u);
}

TEST_F(DownloadTest, StalledServerTimesOut) {
  RecordingClient client;
  ASSERT_EQ(client.Connect(FaultHost().c_str(), nullptr, nullptr, 0), 1);
  const DWORD start = GetTickCount();
  EXPECT_EQ(client.DownloadToFile("/trickle/100", "slow.install", 1), -2);
  const DWORD took = GetTickCount() - start;
  EXPECT_LT(took, 30000u);
  // Whether the one byte that came at once reached the file depends on how the library
  // hands out a read that timed out; either way the file is a stamped prefix.
  const std::string got = Local("slow.install");
  EXPECT_LE(got.size(), 1u);
  EXPECT_EQ(got, Pattern(got.size()));
  EXPECT_TRUE(SameSecond(LastWrite("slow.install"), kFaultTime));
}

}  // namespace
