// The HTTP client, its downloads and reports under wine, against nginx and the fault server.
#include <windows.h>
#include <gtest/gtest.h>
#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "config/site_settings.h"
#include "net/diagnostic_text.h"
#include "net/http_client.h"
#include "net/report.h"
#include "net/url_encode.h"
#include "tests/net/server_env.h"
#include "tests/support/win_test_util.h"

namespace {

using namespace nettest;  // NOLINT: the servers' helpers throughout

const SYSTEMTIME kFaultTime = {2015, 10, 0, 21, 7, 28, 0, 0};  // the fault server's default
const SYSTEMTIME kPackageTime = {2021, 3, 0, 14, 15, 9, 26, 0};

// The file's bytes, if it bears the last-write time given.
std::string Local(const char* name, const SYSTEMTIME* time = nullptr) {
  WIN32_FILE_ATTRIBUTE_DATA d = {};
  FILETIME t = {};
  const bool stamped = time && GetFileAttributesExA(name, GetFileExInfoStandard, &d) &&
                       SystemTimeToFileTime(time, &t) &&
                       CompareFileTime(&d.ftLastWriteTime, &t) == 0;
  return time && !stamped ? "<another time>" : dltest::ReadWholeFile(Wide(name));
}

struct RecordingClient : dl::HttpClient {
  std::vector<std::array<uint64_t, 3>> calls;  // status, total, file bytes
  int stopAfterBlocks = 0;
  void OnProgress(HANDLE, int status, uint32_t, uint64_t, uint64_t total, uint64_t fileBytes,
                  int32_t) override {
    calls.push_back({static_cast<uint64_t>(status), total, fileBytes});
    if (status == 1 && --stopAfterBlocks == 0) stopRequested = 1;
  }
  // What the file held at the last report, as a ranged request asks for it.
  std::string Range() const {
    return "\"bytes=" + std::to_string(calls.empty() ? 0 : calls.back()[2]) + "-\"";
  }
  size_t Kept() const { return calls.empty() ? 0 : static_cast<size_t>(calls.back()[2]); }
};

class DownloadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(NginxHost().empty()) << "the local servers are not running";
    marker_ = RunMarker();
    folder_ = dltest::FreshTempFolder(Wide("dl-download-" + marker_).c_str());
    ASSERT_TRUE(SetCurrentDirectoryW(folder_.c_str()));  // downloads land in the current folder
    ConnectTo(FaultHost());
  }
  void TearDown() override {
    SetCurrentDirectoryW(dltest::ProgramFolder().c_str());
    dltest::RemoveTree(folder_);
    for (const std::string& name : served_) RemoveUpdateFile(name);
  }
  std::string Serve(const std::string& bytes) {  // an object on nginx; returns its path
    served_.push_back("pkg-" + marker_ + "-" + std::to_string(served_.size()));
    EXPECT_TRUE(PutUpdateFile(served_.back(), bytes, &kPackageTime));
    return "/update/" + served_.back();
  }
  void ConnectTo(const std::string& host) { ASSERT_EQ(client_.Connect(host.c_str(), 0, 0, 0), 1); }

  RecordingClient client_;
  std::string marker_;
  std::wstring folder_;
  std::vector<std::string> served_;
};

TEST_F(DownloadTest, FreshDownloadIsStampedReportedPerBlockAndNotFetchedTwice) {
  const std::string body = Pattern(300000, 3);
  const std::string path = Serve(body);
  ConnectTo(NginxHost());
  ASSERT_EQ(client_.DownloadToFile(path.c_str(), "a/b\\c/pkg.install", 1), 0);
  EXPECT_EQ(Local("a\\b\\c\\pkg.install", &kPackageTime), body);
  // Reads of up to 64 KiB, each reported.
  ASSERT_GE(client_.calls.size(), (body.size() + 65535) / 65536);
  uint64_t before = 0;
  for (const auto& call : client_.calls) {
    EXPECT_TRUE(call[0] == 1 && call[1] == body.size() && call[2] > before &&
                call[2] - before <= 65536);
    before = call[2];
  }
  // The same version again: nothing is transferred, and the window hears that once.
  client_.calls.clear();
  ASSERT_EQ(client_.DownloadToFile(path.c_str(), "a/b/c/pkg.install", 1), 1);
  EXPECT_TRUE(client_.calls.size() == 1 && client_.calls[0][0] == 0);
  EXPECT_EQ(client_.bytesReceived, body.size());
}

TEST_F(DownloadTest, AnswersThatDefeatAResumeRewriteFromZeroAndUnreadableOnesMakeNoFile) {
  SYSTEMTIME offBySecond = kFaultTime;
  offBySecond.wSecond = 1;
  const std::string old(20000, '\xEE');
  const struct {
    const char* path;
    SYSTEMTIME stamp;
    int resume, result;
    std::string after;
  } kCases[] = {
      {"/drop/50000/50000", offBySecond, 1, 0, Pattern(50000)},        // another version
      {"/drop/50000/50000", kFaultTime, 0, 0, Pattern(50000)},         // resume off
      {"/ignore-range/80000", kFaultTime, 1, 0, Pattern(80000)},       // 200 to a range
      {"/bad-content-range/80000", kFaultTime, 1, 0, Pattern(80000)},  // 206 from elsewhere
      {"/range416/10000", kFaultTime, 1, 0, Pattern(10000)},           // the file is longer
      // The refusal claims the file's length, the object says otherwise: the object wins.
      {"/range416/100000?total=20000", kFaultTime, 1, 0, Pattern(100000)},
  };
  for (const auto& c : kCases) {
    ASSERT_TRUE(WriteStamped(L"pkg.install", old, &c.stamp));
    EXPECT_EQ(client_.DownloadToFile(c.path, "pkg.install", c.resume), c.result) << c.path;
    EXPECT_EQ(Local("pkg.install", &kFaultTime), c.after) << c.path;
  }
  // Only 200 and 206 succeed, and no file is made before the headers are read.
  for (const char* path :
       {"/no-last-modified/1000", "/no-length/1000", "/status/204", "/status/304", "/status/307",
        "/status/404", "/status/500", "/drop/1000/1000?lm=notanumber"}) {
    EXPECT_EQ(client_.DownloadToFile(path, "x/a.install", 1), -1) << path;
  }
  EXPECT_FALSE(dltest::FileExists(L"x"));
}

// Whatever ended a transfer, the file keeps the server's time and the next call asks for the rest.
TEST_F(DownloadTest, DroppedStoppedOrStalledTransfersResumeFromTheFileSize) {
  ASSERT_EQ(client_.DownloadToFile("/drop/100000/30000", "drop.install", 1), -2);
  EXPECT_EQ(Local("drop.install", &kFaultTime), Pattern(30000));
  ASSERT_EQ(client_.DownloadToFile("/drop/100000/100000", "drop.install", 1), 0);
  EXPECT_EQ(Local("drop.install"), Pattern(100000));
  EXPECT_EQ(LogLines("fault.log", "/drop/100000/100000", "\"range\": \"bytes=30000-\"", 1), 1);

  const DWORD start = GetTickCount();
  EXPECT_EQ(client_.DownloadToFile("/trickle/100", "slow.install", 1), -2);
  EXPECT_LT(GetTickCount() - start, 30000u);
  EXPECT_EQ(Pattern(1).find(Local("slow.install")), 0u);  // the byte sent at once may be there

  const std::string body = Pattern(400000);
  const std::string path = Serve(body);
  ConnectTo(NginxHost());
  client_.stopAfterBlocks = 3;
  ASSERT_EQ(client_.DownloadToFile(path.c_str(), "pkg.install", 1), -4);
  const std::string range = client_.Range();
  EXPECT_EQ(Local("pkg.install", &kPackageTime), body.substr(0, client_.Kept()));
  ConnectTo(NginxHost());  // clears the request
  ASSERT_EQ(client_.DownloadToFile(path.c_str(), "pkg.install", 1), 0);
  EXPECT_EQ(Local("pkg.install"), body);
  EXPECT_EQ(LogLines("access.log", path + " " + range + " \"\\x22", "\\x22\" 206 ", 1), 1);
}

// The record written beside a partial file before its first byte decides what the stamp
// cannot: writes that outran the last stamp (a kill, a scanner touching the file) lose nothing,
// and a record of another object, one cut short or one without its file proves nothing.
TEST_F(DownloadTest, TheRecordBesideAPartialFileDecidesWhatItsStampCannot) {
  const std::string body = Pattern(400000, 5);
  const std::string path = Serve(body);
  ConnectTo(NginxHost());
  client_.stopAfterBlocks = 2;
  ASSERT_EQ(client_.DownloadToFile(path.c_str(), "pkg.install", 1), -4);
  const std::string record = dltest::ReadWholeFile(L"pkg.install.part");
  EXPECT_NE(record.find("length=400000\n"), std::string::npos) << record;
  SYSTEMTIME moved = kPackageTime;
  moved.wYear = 2024;
  const std::string range = client_.Range();
  ASSERT_TRUE(WriteStamped(L"pkg.install", body.substr(0, client_.Kept()), &moved));
  ConnectTo(NginxHost());
  ASSERT_EQ(client_.DownloadToFile(path.c_str(), "pkg.install", 1), 0);
  EXPECT_EQ(Local("pkg.install", &kPackageTime), body);
  EXPECT_EQ(LogLines("access.log", path + " " + range + " \"\\x22", "\\x22\" 206 ", 1), 1);
  EXPECT_EQ(LogLines("access.log", path + " \"-\" \"-\" 200"), 1);  // the first run's only
  EXPECT_FALSE(dltest::FileExists(L"pkg.install.part"));            // a complete file needs none

  // Each kept file below holds wrong bytes: only a download from byte 0 ends with the object.
  const std::string wrong(30000, '\xEE');
  const std::string otherObject =
      std::string(record).replace(record.find("etag="), 6, "etag=\"0");  // the ETag changed
  const struct {
    const char* what;
    std::string record;
    const SYSTEMTIME* keptStamp;  // no kept file when null
  } kCases[] = {
      {"a record of another object", otherObject, &kPackageTime},
      {"a record cut short", record.substr(0, record.size() - 2), &moved},
      {"a record without its file", record, nullptr},
  };
  for (const auto& c : kCases) {
    ASSERT_TRUE(WriteStamped(L"pkg.install.part", c.record, nullptr));
    DeleteFileW(L"pkg.install");
    ASSERT_TRUE(!c.keptStamp || WriteStamped(L"pkg.install", wrong, c.keptStamp));
    ConnectTo(NginxHost());
    ASSERT_EQ(client_.DownloadToFile(path.c_str(), "pkg.install", 1), 0) << c.what;
    EXPECT_EQ(Local("pkg.install", &kPackageTime), body) << c.what;
    EXPECT_FALSE(dltest::FileExists(L"pkg.install.part")) << c.what;
  }
  // Of a file longer than the object the record knows, nothing is kept either.
  ASSERT_TRUE(WriteStamped(L"pkg.install.part", record, nullptr));
  ASSERT_TRUE(WriteStamped(L"pkg.install", body + "x", &kPackageTime));
  ConnectTo(NginxHost());
  ASSERT_EQ(client_.DownloadToFile(path.c_str(), "pkg.install", 1), 0);
  EXPECT_EQ(Local("pkg.install", &kPackageTime), body);
}

// 301 and 302 are followed, with the same header, ten in a row.
TEST_F(DownloadTest, RedirectsAndConnections) {
  for (const char* path : {"/redirect/10/302", "/redirect/10/301", "/redirect/11/302", "/loop",
                           "/long-location", "/redirect/1/303"}) {
    EXPECT_EQ(client_.SendGet(path, nullptr), strstr(path, "/10/") != nullptr) << path;
  }
  // To nginx's other port: 1000 bytes of a 5000-byte file are only there.
  const std::string path = Serve(Pattern(5000));
  EXPECT_EQ(client_.SendGet(("/redirect-to-nginx2/" + served_.back()).c_str(), "range:bytes=4000-"),
            1);
  uint64_t length = 0;
  EXPECT_TRUE(client_.QueryContentLength(&length) == 1 && length == 1000u);
  // A failed Connect closes the connection the redirect left open.
  EXPECT_EQ(client_.Connect("127.0.0.1:http", nullptr, nullptr, 0), 0);
  EXPECT_EQ(client_.SendGet(path.c_str(), nullptr), 0);
  EXPECT_EQ(LogLines("access.log", "GET " + path + " \"-\""), 0);
}

// Over TLS the certificate is checked in full: a trusted one carries a download, its resume and
// a report; an unknown authority or another name fails the request before a file is made.
TEST_F(DownloadTest, TlsWorksOnlyBehindACertificateThePlatformAccepts) {
  const std::string body = Pattern(400000), path = Serve(body), sent = "tls" + marker_;
  const std::string refused[] = {UntrustedTlsHost(), WrongNameTlsHost()};
  for (const std::string& host : refused) {
    ConnectTo(host);
    EXPECT_EQ(client_.DownloadToFile(path.c_str(), "pkg.install", 1), -1) << host;
    dl::SendInstallReport(dl::ReportType::kExtracted, sent.c_str(), host.c_str(), 1);
  }
  ConnectTo(TlsHost());
  client_.stopAfterBlocks = 3;
  ASSERT_EQ(client_.DownloadToFile(path.c_str(), "pkg.install", 1), -4);
  const std::string range = client_.Range();
  dl::SendInstallReport(dl::ReportType::kExtracted, sent.c_str(), TlsHost().c_str(), 1);
  EXPECT_EQ(LogLines("access.log", PortOf(TlsHost()) + " GET", marker_, 2), 2);
  for (const std::string& host : refused) EXPECT_EQ(LogLines("access.log", PortOf(host) + " "), 0);
  EXPECT_EQ(LogLines("stats.log", "UnzipResult=" + sent + "&"), 1);

  ConnectTo(TlsHost());
  ASSERT_EQ(client_.DownloadToFile(path.c_str(), "pkg.install", 1), 0);
  EXPECT_EQ(Local("pkg.install", &kPackageTime), body);
  EXPECT_EQ(LogLines("access.log", PortOf(TlsHost()) + " GET " + path + " " + range + " \"\\x22",
                     "\\x22\" 206 "),
            1);
}

// A redirect may move a download onto TLS, never off it; a report over TLS follows none.
TEST_F(DownloadTest, RedirectsMoveOntoTlsNeverOff) {
  const std::string path = Serve(Pattern(5000));
  const std::string onto = "/to-tls/" + served_.back(), off = "/to-plain/" + served_.back();
  ConnectTo(NginxHost());
  EXPECT_EQ(client_.SendGet(onto.c_str(), nullptr), 1);
  ConnectTo(TlsHost());
  EXPECT_EQ(client_.SendGet(onto.c_str(), nullptr), 1);
  EXPECT_EQ(client_.SendGet(off.c_str(), nullptr), 0);
  EXPECT_EQ(client_.LastStatus(), 302);
  const std::string tls = PortOf(TlsHost()), plain = PortOf(NginxHost());
  EXPECT_EQ(LogLines("access.log", tls + " GET " + path + " ", "", 2), 2);
  EXPECT_EQ(LogLines("access.log", plain + " GET " + path + " "), 0);
  // The statistics path sends a report over TLS for channel 302 on to the plain port.
  const std::string moved = "moved" + marker_;
  EXPECT_TRUE(
      dl::SendInstallReport(dl::ReportType::kExtracted, moved.c_str(), TlsHost().c_str(), 302));
  EXPECT_EQ(LogLines("access.log", tls + " GET", moved + "&channalID=302 \"-\" \"-\" 302", 1), 1);
  EXPECT_EQ(LogLines("access.log", plain + " GET", moved), 0);
}

// An overlong URL is never sent, not even cut short; a closed port costs little time; a folder
// arrives in UTF-8 whatever the system's code page.
TEST_F(DownloadTest, ReportsAreSentWholeOrNotAtAll) {
  const std::string overlong = marker_ + "L" + std::string(1024, 'a');
  const std::string nginx = NginxHost();
  EXPECT_FALSE(
      dl::SendInstallReport(dl::ReportType::kExtracted, overlong.c_str(), nginx.c_str(), 200019));
  const DWORD start = GetTickCount();
  EXPECT_TRUE(dl::SendInstallReport(dl::ReportType::kExtracted, "x", kClosedHost, 200019));
  EXPECT_LT(GetTickCount() - start, 5000u);

  const std::wstring folder = L"C:\\\u00e9\u6e38" + Wide(marker_) + L"\\";
  wchar_t text[dl::kDiagnosticTextCap];
  char sent[dl::kEncodedTextCap];
  ASSERT_TRUE(dl::BuildDiagnosticText({folder.c_str()}, text, dl::kDiagnosticTextCap));
  ASSERT_TRUE(dl::EncodeDiagnosticText(text, sent, sizeof sent));
  ASSERT_TRUE(dl::SendInstallReport(dl::ReportType::kNotExtracted, sent, nginx.c_str(), 200019));
  const std::string line =
      "StatistsType=4&UnzipResult=" + std::string("C%3A%5C%C3%A9%E6%B8%B8") + marker_ +
      "%5C%7C0%7Cattr%3A0%7Ccreate%3A0%7Cerrid%3A0%7Csize%3A0&channalID=200019";
  EXPECT_EQ(LogLines("stats.log", line, "", 1), 1);
  EXPECT_EQ(LogLines("stats.log", marker_ + "L"), 0);
}

}  // namespace
