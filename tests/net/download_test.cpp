// Downloads into a fresh folder against the local nginx (real files, real Last-Modified and
// ranges) and the fault server (dropped connections, wrong ranges, missing headers).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/net/recording_client.h"
#include "tests/net/server_env.h"
#include "tests/support/win_test_util.h"

namespace {

using nettest::FaultHost;
using nettest::NginxHost;
using nettest::Pattern;

const SYSTEMTIME kFaultTime = {2015, 10, 0, 21, 7, 28, 0, 0};  // the fault server's default
const SYSTEMTIME kPackageTime = {2021, 3, 0, 14, 15, 9, 26, 0};

std::wstring Wide(const char* name) { return std::wstring(name, name + strlen(name)); }
std::string Local(const char* name) { return dltest::ReadWholeFile(Wide(name)); }

std::string Stamp(const SYSTEMTIME& t) {
  char text[32];
  snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour,
           t.wMinute, t.wSecond);
  return text;
}
// The file's last-write time to the second.
std::string Stamp(const char* name) {
  SYSTEMTIME t = {};
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (GetFileAttributesExA(name, GetFileExInfoStandard, &data)) {
    FileTimeToSystemTime(&data.ftLastWriteTime, &t);
  }
  return Stamp(t);
}

// A local file with the given bytes and last-write time, as an earlier run would leave it.
bool WriteLocal(const char* name, const std::string& bytes, const SYSTEMTIME& time) {
  if (!dltest::WriteWholeFile(Wide(name), bytes)) return false;
  HANDLE file = CreateFileA(name, FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  FILETIME stamp;
  const bool ok = file != INVALID_HANDLE_VALUE && SystemTimeToFileTime(&time, &stamp) &&
                  SetFileTime(file, nullptr, nullptr, &stamp);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  return ok;
}

class DownloadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(NginxHost().empty()) << "the local servers are not running";
    marker_ = nettest::RunMarker();
    wchar_t cwd[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, cwd);
    oldCwd_ = cwd;
    folder_ = dltest::FreshTempFolder(Wide(("dl-download-" + marker_).c_str()).c_str());
    ASSERT_TRUE(SetCurrentDirectoryW(folder_.c_str()));
  }
  void TearDown() override {
    SetCurrentDirectoryW(oldCwd_.c_str());
    dltest::RemoveTree(folder_);
    for (const std::string& name : served_) nettest::RemoveUpdateFile(name);
  }

  // An object on nginx with the given bytes and Last-Modified; returns its path.
  std::string Serve(const std::string& bytes) {
    const std::string name = "pkg-" + marker_ + "-" + std::to_string(served_.size()) + ".zip";
    EXPECT_TRUE(nettest::PutUpdateFile(name, bytes, &kPackageTime));
    served_.push_back(name);
    return "/update/" + name;
  }
  void ConnectTo(const std::string& host, int tag = 0) {
    ASSERT_EQ(client_.Connect(host.c_str(), nullptr, nullptr, tag), 1);
  }

  nettest::RecordingClient client_;
  std::string marker_;
  std::wstring oldCwd_, folder_;
  std::vector<std::string> served_;
};

TEST_F(DownloadTest, FreshDownloadIsStampedReportedPerBlockAndNotFetchedTwice) {
  const std::string body = Pattern(100000, 3);
  const std::string path = Serve(body);
  ConnectTo(NginxHost(), 42);
  ASSERT_EQ(client_.DownloadToFile(path.c_str(), "a/b\\c/pkg.install", 1), 0);  // folders made
  EXPECT_EQ(Local("a\\b\\c\\pkg.install"), body);
  EXPECT_EQ(Stamp("a/b/c/pkg.install"), Stamp(kPackageTime));
  ASSERT_EQ(client_.calls.size(), (body.size() + 4095) / 4096);
  uint64_t before = 0;
  for (const nettest::ProgressCall& call : client_.calls) {
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
  EXPECT_FALSE(client_.fileHandleBad);

  // The same version again: nothing is read, one status-0 call, the file is left alone.
  client_.calls.clear();
  ASSERT_EQ(client_.DownloadToFile(path.c_str(), "a/b/c/pkg.install", 1), 1);
  ASSERT_EQ(client_.calls.size(), 1u);
  EXPECT_EQ(client_.calls[0].status, 0);
  EXPECT_EQ(client_.calls[0].fileBytes, body.size());
  EXPECT_EQ(client_.bytesReceived, body.size());
  EXPECT_EQ(nettest::WaitForLogLines("access.log", 2, "GET " + path + " \"-\""), 2);
  EXPECT_EQ(nettest::CountLogLines("access.log", "GET " + path + " \"bytes"), 0);

  // An empty object: made and stamped by the first call, complete at the second.
  const std::string empty = Serve("");
  EXPECT_EQ(client_.DownloadToFile(empty.c_str(), "empty.install", 1), -2);
  EXPECT_EQ(Stamp("empty.install"), Stamp(kPackageTime));
  EXPECT_EQ(client_.DownloadToFile(empty.c_str(), "empty.install", 1), 1);
}

TEST_F(DownloadTest, DroppedConnectionResumesFromTheFileSize) {
  ConnectTo(FaultHost());
  ASSERT_EQ(client_.DownloadToFile("/drop/100000/30000", "pkg.install", 1), -2);
  EXPECT_EQ(Local("pkg.install"), Pattern(30000));
  EXPECT_EQ(Stamp("pkg.install"), Stamp(kFaultTime));
  ASSERT_EQ(client_.DownloadToFile("/drop/100000/100000", "pkg.install", 1), 0);
  EXPECT_EQ(Local("pkg.install"), Pattern(100000));
  EXPECT_EQ(Stamp("pkg.install"), Stamp(kFaultTime));
  EXPECT_EQ(nettest::WaitForLogLines("fault.log", 1, "\"path\": \"/drop/100000/100000\"",
                                     "\"range\": \"bytes=30000-\""),
            1);
  // The counters run on across calls: the whole object was received exactly once.
  EXPECT_EQ(client_.bytesReceived, 100000u);
  EXPECT_EQ(client_.calls.back().fileBytes, 100000u);
}

TEST_F(DownloadTest, AnotherVersionOrNoResumeStartsOver) {
  ConnectTo(FaultHost());
  const std::string garbage(20000, '\xEE');
  SYSTEMTIME offBySecond = kFaultTime;  // one second off is another version
  offBySecond.wSecond = 1;
  ASSERT_TRUE(WriteLocal("old.install", garbage, offBySecond));
  ASSERT_EQ(client_.DownloadToFile(("/drop/50000/50000?v=" + marker_).c_str(), "old.install", 1),
            0);
  EXPECT_EQ(Local("old.install"), Pattern(50000));

  // A Last-Modified that changed between two calls starts over and re-stamps.
  ASSERT_EQ(client_.DownloadToFile("/drop/50000/20000?lm=1600000000", "lm.install", 1), -2);
  ASSERT_EQ(client_.DownloadToFile("/drop/60000/60000?lm=1600000100", "lm.install", 1), 0);
  EXPECT_EQ(Local("lm.install"), Pattern(60000));
  EXPECT_EQ(Stamp("lm.install"), "2020-09-13 12:28:20");

  // The right version, but resume 0: not even a ranged request.
  ASSERT_TRUE(WriteLocal("noresume.install", garbage, kFaultTime));
  ASSERT_EQ(
      client_.DownloadToFile(("/drop/50000/50000?n=" + marker_).c_str(), "noresume.install", 0), 0);
  EXPECT_EQ(Local("noresume.install"), Pattern(50000));
  EXPECT_EQ(nettest::CountLogLines("fault.log", "n=" + marker_, "range"), 0);
}

// Servers that answer the ranged request with the whole object, or with a Content-Range that
// does not start at the file's end: the file is rewritten from zero, never appended to.
TEST_F(DownloadTest, WholeObjectAnswersToARangeRewriteFromZero) {
  ConnectTo(FaultHost());
  for (const char* path : {"/ignore-range/80000", "/bad-content-range/80000"}) {
    ASSERT_TRUE(WriteLocal("pkg.install", std::string(30000, '\xEE'), kFaultTime));
    EXPECT_EQ(client_.DownloadToFile(path, "pkg.install", 1), 0) << path;
    EXPECT_EQ(Local("pkg.install"), Pattern(80000)) << path;
    EXPECT_EQ(Stamp("pkg.install"), Stamp(kFaultTime)) << path;
  }
}

TEST_F(DownloadTest, RefusedRangeStartsOverUnlessTheServerCallsTheFileComplete) {
  ConnectTo(FaultHost());
  // A local file longer than the object: 416, and the download starts over.
  ASSERT_TRUE(WriteLocal("long.install", std::string(150000, '\xEE'), kFaultTime));
  EXPECT_EQ(client_.DownloadToFile("/range416/100000", "long.install", 1), 0);
  EXPECT_EQ(Local("long.install"), Pattern(100000));
  // A ranged request answered with an error status: the same.
  ASSERT_TRUE(WriteLocal("error.install", std::string(500, '\xEE'), kFaultTime));
  EXPECT_EQ(client_.DownloadToFile("/status/200", "error.install", 1), 0);
  EXPECT_EQ(Local("error.install"), Pattern(1000));

  // The refusal itself says the object is as long as the file: complete, untouched.
  ASSERT_TRUE(WriteLocal("done.install", Pattern(40000), kFaultTime));
  client_.calls.clear();
  EXPECT_EQ(client_.DownloadToFile("/range416/100000?total=40000", "done.install", 1), 1);
  EXPECT_EQ(Local("done.install"), Pattern(40000));
  ASSERT_EQ(client_.calls.size(), 1u);
  EXPECT_EQ(client_.calls[0].status, 0);
  EXPECT_EQ(client_.calls[0].fileBytes, 40000u);
}

TEST_F(DownloadTest, UnreadableHeadersFailBeforeAnyFileIsMade) {
  ConnectTo(FaultHost());
  EXPECT_EQ(client_.DownloadToFile("/no-last-modified/1000", "x/a.install", 1), -1);
  EXPECT_EQ(client_.DownloadToFile("/no-length/1000", "x/b.install", 1), -1);
  EXPECT_EQ(client_.DownloadToFile("/status/404", "x/c.install", 1), -1);
  EXPECT_EQ(client_.DownloadToFile("/drop/1000/1000?lm=notanumber", "x/d.install", 1), -1);
  EXPECT_FALSE(dltest::FileExists(L"x"));
  EXPECT_TRUE(client_.calls.empty());
}

TEST_F(DownloadTest, StopRequestEndsTheTransferWithTheStampInPlace) {
  const std::string body = Pattern(200000);
  const std::string path = Serve(body);
  ConnectTo(NginxHost());
  client_.stopAfterBlocks = 3;
  ASSERT_EQ(client_.DownloadToFile(path.c_str(), "pkg.install", 1), -4);
  EXPECT_EQ(Local("pkg.install"), body.substr(0, 3 * 4096));
  EXPECT_EQ(Stamp("pkg.install"), Stamp(kPackageTime));

  // Connect clears the request; the next call continues the stopped file.
  ConnectTo(NginxHost());
  ASSERT_EQ(client_.DownloadToFile(path.c_str(), "pkg.install", 1), 0);
  EXPECT_EQ(Local("pkg.install"), body);
  EXPECT_EQ(client_.bytesReceived, body.size() - 3 * 4096);
  EXPECT_EQ(nettest::WaitForLogLines("access.log", 1, path + " \"bytes=12288-\" 206"), 1);
}

TEST_F(DownloadTest, LocalFileProblemsAreMinusThree) {
  const std::string path = Serve(Pattern(5000));
  ConnectTo(NginxHost());
  ASSERT_TRUE(WriteLocal("blocker", "not a folder", kPackageTime));
  EXPECT_EQ(client_.DownloadToFile(path.c_str(), "blocker/pkg.install", 1), -3);
  EXPECT_EQ(Local("blocker"), "not a folder");
  const std::string overlong = std::string(4100, 'n') + ".install";
  EXPECT_EQ(client_.DownloadToFile(path.c_str(), overlong.c_str(), 1), -3);
  HANDLE held = CreateFileA("held.install", GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            0, nullptr);  // opened elsewhere without sharing
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_EQ(client_.DownloadToFile(path.c_str(), "held.install", 1), -3);
  CloseHandle(held);
}

TEST_F(DownloadTest, HugeLengthAndStalledServerEndInAFailedRead) {
  ConnectTo(FaultHost());
  // Content-Length above 4 GiB is kept in full, and the early close is a failed read.
  EXPECT_EQ(client_.DownloadToFile("/huge-length", "huge.install", 1), -2);
  ASSERT_FALSE(client_.calls.empty());
  EXPECT_EQ(client_.calls.back().total, 5000000000ull);
  EXPECT_EQ(client_.calls.back().fileBytes, 4096u);

  const DWORD start = GetTickCount();
  EXPECT_EQ(client_.DownloadToFile("/trickle/100", "slow.install", 1), -2);
  EXPECT_LT(GetTickCount() - start, 30000u);
  // Whether the one byte that came at once reached the file depends on how the library
  // hands out a read that timed out; either way the file is a stamped prefix.
  const std::string got = Local("slow.install");
  EXPECT_LE(got.size(), 1u);
  EXPECT_EQ(got, Pattern(got.size()));
  EXPECT_EQ(Stamp("slow.install"), Stamp(kFaultTime));
}

}  // namespace
