// The install worker under wine against the local servers: a whole installation from the test
// nginx into a temp folder, a pause in the middle of a slow download, a worker held paused, the
// attempt limit, a broken package, and packages whose files cannot all be replaced. The bench's
// desktop is private, so the shortcut made here never leaves it.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <mutex>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/site_config.h"
#include "app/site_record.h"
#include "base/bounded_text.h"
#include "install/install_worker.h"
#include "tests/net/server_env.h"
#include "tests/support/win_test_util.h"

namespace {

using Lines = std::vector<std::string>;

const char kServedPackage[] = "rolk_lobby_full.zip";

std::string Utf8(const std::wstring& text) {
  char buf[2048] = {};
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, buf, sizeof buf, nullptr, nullptr);
  return buf;
}
std::wstring Wide(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

// The report's encoding of an ASCII text, written out independently of the product's.
std::string Encoded(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    char hex[4];
    snprintf(hex, sizeof hex, "%%%02X", c);
    out += isalnum(c) || (c != 0 && strchr("-_.~", c)) ? std::string(1, static_cast<char>(c)) : hex;
  }
  return out;
}

// Records what the worker asks of the window, in order, from any thread.
class FakeHost : public dl::InstallHost {
 public:
  explicit FakeHost(std::wstring folder) : folder_(std::move(folder)) {}

  void StartTimer(UINT_PTR id, UINT periodMs) override {
    const bool checkLink = id == 114 && !linkToCheck.empty();
    Add("StartTimer " + std::to_string(id) + " " + std::to_string(periodMs) +
        (checkLink ? (dltest::FileExists(linkToCheck) ? " link" : " nolink") : ""));
  }
  void StopTimer(UINT_PTR id) override { Add("StopTimer " + std::to_string(id)); }
  void SetText(dl::WorkerText which, const wchar_t* text) override {
    static const char* const kNames[] = {"Size", "Percent", "InstallButton"};
    Add(std::string("SetText ") + kNames[static_cast<int>(which)] + " " + Utf8(text) +
        (which == dl::WorkerText::InstallButton ? " state=" + State() : ""));
  }
  void ShowRunner(int show) override { Add("ShowRunner " + std::to_string(show)); }
  void ShowFailureNotice(int kind) override { Add("ShowFailureNotice " + std::to_string(kind)); }
  void PostActivate() override { Add("PostActivate state=" + State()); }
  void ReportDone() override {
    Add(!reportArrived ? "ReportDone" : reportArrived() ? "ReportDone report" : "ReportDone none");
  }
  std::wstring InstallFolder() override {
    Add("InstallFolder");
    return folder_;
  }
  Lines Requests() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
  }

  std::wstring linkToCheck;             // StartTimer(114) notes whether this file exists
  std::function<bool()> reportArrived;  // ReportDone notes its answer

 private:
  static std::string State() { return std::to_string(dl::g_installState.load()); }
  void Add(const std::string& line) {
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.push_back(line);
  }

  const std::wstring folder_;
  mutable std::mutex mutex_;
  Lines requests_;
};

// The window's HTTP client: its progress hook stores the figures and holds at the gate.
class GatedClient : public dl::HttpClient {
 public:
  GatedClient(dl::InstallProgress& progress, dl::PauseGate& gate)
      : progress_(progress), gate_(gate) {}

 protected:
  void OnProgress(HANDLE, int, uint32_t elapsed, uint64_t received, uint64_t total,
                  uint64_t fileBytes, int32_t) override {
    dl::RecordProgress(progress_, gate_, elapsed, received, total, fileBytes);
  }

 private:
  dl::InstallProgress& progress_;
  dl::PauseGate& gate_;
};

// One installation attempt on a thread of its own.
class Worker {
 public:
  Worker(dl::InstallHost& host, dl::PauseGate& gate, uint64_t receivedBefore = 0)
      : client_(progress, gate) {
    progress.receivedBytes = receivedBefore;
    thread_ = std::thread([this, &host, &gate] { dl::RunInstall(host, client_, progress, gate); });
  }
  ~Worker() { Join(); }
  void Join() {
    if (thread_.joinable()) thread_.join();
  }
  dl::InstallProgress progress;

 private:
  GatedClient client_;
  std::thread thread_;
};

// Read through the attributes: the worker holds the file open for writing, unshared.
uint64_t FileSize(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

bool WaitUntil(const std::function<bool()>& done, DWORD ms) {
  for (DWORD waited = 0; !done(); waited += 20) {
    if (waited >= ms) return false;
    Sleep(20);
  }
  return true;
}

// Points the worker's process-wide configuration at a temp root (install base root\, install
// folder root\Tavoro\) and at a package on a server.
void Configure(const std::wstring& root, const std::string& server, const std::string& path) {
  static std::string serverHost, statsHost;
  serverHost = server;
  statsHost = nettest::NginxHost();
  dl::g_serverHost = serverHost.c_str();
  dl::g_statsHost = statsHost.c_str();
  dl::CopyBounded(dl::g_packagePath, dl::kPackagePathCap, path.c_str());
  dl::CopyBounded(dl::g_installBase, dl::kInstallBaseCap, (root + L"\\").c_str());
  dl::g_channelId = 200019;
  dl::g_installState = dl::Downloading;
}

class WorkerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(nettest::NginxHost().empty()) << "the local servers are not running";
    marker_ = nettest::RunMarker();
    root_ = dltest::FreshTempFolder(Wide("dl-worker-" + marker_).c_str());
    folder_ = root_ + L"\\" + dl::kSite.displayName + L"\\";
    package_ = folder_ + Wide(dl::kSite.packageFileName);
    encodedFolder_ = Encoded(Utf8(folder_));
    wchar_t cwd[MAX_PATH], desktop[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, cwd);
    cwd_ = cwd;
    ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, desktop, CSIDL_DESKTOPDIRECTORY, FALSE));
    link_ = std::wstring(desktop) + L"\\" + dl::kSite.displayName + L".lnk";
    DeleteFileW(link_.c_str());
    dl::g_maxDownloadAttempts = 50;  // not 100000 attempts of a worker that cannot download
    served_ =
        dltest::ReadWholeFile(Wide(nettest::ServersDir() + "\\www\\update\\" + kServedPackage));
    ASSERT_FALSE(served_.empty()) << "nginx serves no test package (build the test_package target "
                                     "before the servers start)";
    servedPath_ = std::string("/update/") + kServedPackage + "?run=" + marker_;
  }
  void TearDown() override {
    SetCurrentDirectoryW(cwd_.c_str());  // the worker's current folder blocks the removal
    dltest::RemoveTree(root_);
    DeleteFileW(link_.c_str());
    if (!brokenName_.empty()) nettest::RemoveUpdateFile(brokenName_);
    dl::g_maxDownloadAttempts = 100000;
  }

  void Use(const std::string& server, const std::string& path) { Configure(root_, server, path); }
  Lines RunToEnd(FakeHost& host) {
    dl::PauseGate gate;
    Worker(host, gate).Join();
    return host.Requests();
  }

  // The statistics requests that carry this test's install folder, waiting for `count`, as
  // "<type> <result> attr:<a> create:<c> errid:<e> size:<s> <channel>".
  Lines Reports(int count) {
    const std::string key = "UnzipResult=" + encodedFolder_ + "%7C";
    nettest::WaitForLogLines("stats.log", count, key);
    static const std::regex form(
        R"(/ajax/quickDownLoadStatistics/quickDownStatistics\.jsp\?SiteID=16&StatistsType=(\d)&)"
        R"(UnzipResult=.*%7C(-?\d+)%7Cattr%3A(-?\d+)%7Ccreate%3A(-?\d+)%7Cerrid%3A(-?\d+))"
        R"(%7Csize%3A(-?\d+)&channalID=(\d+)\r?)");
    std::istringstream lines(nettest::ReadText(nettest::ServersDir() + "\\stats.log"));
    Lines found;
    std::smatch m;
    for (std::string line; std::getline(lines, line);) {
      if (line.find(key) == std::string::npos) continue;
      found.push_back(!std::regex_match(line, m, form)
                          ? "unreadable " + line
                          : m.format("$1 $2 attr:$3 create:$4 errid:$5 size:$6 $7"));
    }
    return found;
  }
  static bool Like(const std::string& text, const std::string& pattern) {
    return std::regex_match(text, std::regex(pattern));
  }

  // The requests up to the moment the download was complete, then `more`.
  static Lines Downloaded(uint64_t size, const Lines& more = {}) {
    char text[64];
    const double mib = static_cast<double>(size) / 1048576.0;
    snprintf(text, sizeof text, "SetText Size %.2fM/%.2fM", mib, mib);
    Lines lines = {"StartTimer 112 50",
                   "InstallFolder",
                   "StopTimer 112",
                   "StopTimer 99",
                   text,
                   "SetText Percent 100%",
                   "SetText InstallButton 正在启动 state=4"};
    lines.insert(lines.end(), more.begin(), more.end());
    return lines;
  }

  std::string marker_, encodedFolder_, served_, servedPath_, brokenName_;
  std::wstring root_, folder_, package_, cwd_, link_;
};

TEST_F(WorkerTest, InstallsFromTheServerAndHandsOverToTheWindow) {
  Use(nettest::NginxHost(), servedPath_);
  FakeHost host(folder_);
  host.linkToCheck = link_;
  host.reportArrived = [this] {
    return nettest::WaitForLogLines("stats.log", 1,
                                    "StatistsType=3&UnzipResult=" + encodedFolder_ + "%7C") == 1;
  };
  EXPECT_EQ(
      RunToEnd(host),
      Downloaded(served_.size(), {"StartTimer 114 500 link", "PostActivate state=3", "ShowRunner 0",
                                  "ReportDone report", "StartTimer 115 60000"}));
  EXPECT_EQ(dl::g_installState, dl::Installed);
  // The package stays beside the lobby for a later run; the lobby came out of it unchanged.
  EXPECT_EQ(dltest::ReadWholeFile(package_), served_);
  EXPECT_EQ(dltest::ReadWholeFile(folder_ + L"lobby.exe"),
            dltest::ReadWholeFile(dltest::ProgramFolder() + L"lobby.exe"));
  EXPECT_TRUE(dltest::FileExists(folder_ + L"config\\game00.ini"));
  EXPECT_EQ(nettest::WaitForLogLines("access.log", 1,
                                     servedPath_ + " \"-\" 200 " + std::to_string(served_.size())),
            1);
  const Lines reports = Reports(1);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_TRUE(Like(reports[0], R"(3 0 attr:0 create:0 errid:\d+ size:0 200019)")) << reports[0];
}

TEST_F(WorkerTest, PausedWorkerWritesNothingAndGoesOnWhereItStopped) {
  // nginx sends /slow/ at 2 MB/s: the download lasts a few seconds.
  const std::string path = std::string("/slow/") + kServedPackage + "?run=" + marker_;
  Use(nettest::NginxHost(), path);
  FakeHost host(folder_);
  dl::PauseGate gate;
  Worker worker(host, gate);
  ASSERT_TRUE(WaitUntil([&] { return worker.progress.downloadedBytes >= 512 * 1024; }, 20000));
  gate.Pause();
  // The block in hand is still written; wait until the file stops growing.
  uint64_t heldAt = FileSize(package_);
  for (int quiet = 0, waited = 0; quiet < 3 && waited < 50; ++waited) {
    Sleep(100);
    const uint64_t now = FileSize(package_);
    quiet = now == heldAt ? quiet + 1 : 0;
    heldAt = now;
  }
  const uint32_t shownAt = worker.progress.downloadedBytes;
  Sleep(1000);
  EXPECT_EQ(FileSize(package_), heldAt);
  EXPECT_EQ(worker.progress.downloadedBytes, shownAt);
  EXPECT_EQ(heldAt, shownAt);
  EXPECT_LT(heldAt, served_.size()) << "the download ended before the pause";
  EXPECT_EQ(host.Requests(), (Lines{"StartTimer 112 50", "InstallFolder"}));

  gate.Resume();
  worker.Join();
  EXPECT_EQ(dltest::ReadWholeFile(package_), served_);
  // Held within the transfer, not broken off: one request brought everything.
  EXPECT_EQ(nettest::WaitForLogLines("access.log", 1, path), 1);
  EXPECT_EQ(
      nettest::CountLogLines("access.log", path + " \"-\" 200 " + std::to_string(served_.size())),
      1);
  EXPECT_EQ(dl::g_installState, dl::Installed);
  EXPECT_EQ(host.Requests().back(), "StartTimer 115 60000");
}

TEST_F(WorkerTest, WorkerHeldPausedDoesNothingUntilResumed) {
  Use("127.0.0.1:" + std::to_string(nettest::ClosedPort()), "/update/none.zip");
  dl::g_maxDownloadAttempts = 3;
  FakeHost host(folder_);
  dl::PauseGate gate(true);
  Worker worker(host, gate);
  Sleep(700);
  EXPECT_TRUE(host.Requests().empty());
  EXPECT_FALSE(dltest::FileExists(folder_));
  gate.Resume();
  worker.Join();
  EXPECT_EQ(host.Requests(),
            (Lines{"StartTimer 112 50", "InstallFolder", "ReportDone", "ShowFailureNotice 0"}));
  EXPECT_TRUE(dltest::FileExists(folder_));
}

TEST_F(WorkerTest, DownloadThatNeverSucceedsEndsWithTheDownloadNoticeAtTheAttemptLimit) {
  const std::string attempt = "run=" + marker_;
  Use(nettest::FaultHost(), "/status/503?" + attempt);
  dl::g_maxDownloadAttempts = 100;
  FakeHost host(folder_);
  dl::PauseGate gate;
  {
    Worker worker(host, gate, 777);
    // A pause between two attempts holds the loop: at most the attempt under way still
    // reaches the server.
    ASSERT_TRUE(
        WaitUntil([&] { return nettest::CountLogLines("fault.log", attempt) >= 5; }, 10000));
    gate.Pause();
    const int atPause = nettest::CountLogLines("fault.log", attempt);
    Sleep(500);
    const int heldAt = nettest::CountLogLines("fault.log", attempt);
    EXPECT_LE(heldAt, atPause + 1);
    Sleep(700);
    EXPECT_EQ(nettest::CountLogLines("fault.log", attempt), heldAt);
    gate.Resume();
    worker.Join();
    // More than five failures in a row without a byte clear the speed figure.
    EXPECT_EQ(worker.progress.receivedBytes, 0u);
  }
  EXPECT_EQ(nettest::WaitForLogLines("fault.log", 100, attempt), 100);
  Sleep(200);
  EXPECT_EQ(nettest::CountLogLines("fault.log", attempt), 100);
  // Nothing else changes: the state, the timers and the button stay as they were.
  EXPECT_EQ(host.Requests(),
            (Lines{"StartTimer 112 50", "InstallFolder", "ReportDone", "ShowFailureNotice 0"}));
  EXPECT_EQ(dl::g_installState, dl::Downloading);
  EXPECT_FALSE(dltest::FileExists(package_));
  EXPECT_TRUE(Reports(0).empty()) << "a download failure sends no report";

  // Five failures leave the figure as it was.
  Use("127.0.0.1:" + std::to_string(nettest::ClosedPort()), "/update/none.zip");
  dl::g_maxDownloadAttempts = 5;
  FakeHost second(folder_);
  Worker worker(second, gate, 777);
  worker.Join();
  EXPECT_EQ(worker.progress.receivedBytes, 777u);
}

TEST_F(WorkerTest, BrokenPackageIsReportedAndTheNextWorkerFetchesItAgain) {
  std::string broken = served_;
  broken.replace(broken.size() / 2, 65536, 65536, '\0');
  brokenName_ = "broken-" + marker_ + ".zip";
  ASSERT_TRUE(nettest::PutUpdateFile(brokenName_, broken));
  Use(nettest::NginxHost(), "/update/" + brokenName_);

  FakeHost first(folder_);
  EXPECT_EQ(RunToEnd(first), Downloaded(broken.size(), {"ReportDone", "ShowFailureNotice 1"}));
  EXPECT_EQ(dl::g_installState, dl::Extracting) << "the button stays inert until the notice";
  EXPECT_FALSE(dltest::FileExists(package_)) << "the broken package would pass as complete";
  EXPECT_FALSE(dltest::FileExists(link_));
  // Measured after the first failure: the base folder is there, so the second try ran.
  const Lines reports = Reports(1);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_TRUE(
      Like(reports[0], "4 (65536|1792|2048|83886080) attr:16 create:183 errid:-?\\d+ size:" +
                           std::to_string(broken.size()) + " 200019"))
      << reports[0];

  FakeHost second(folder_);
  dl::PauseGate gate;
  {
    Worker worker(second, gate);
    worker.Join();
    EXPECT_EQ(worker.progress.receivedBytes, broken.size()) << "the package was not fetched again";
  }
  const std::string served = "/update/" + brokenName_;
  EXPECT_EQ(nettest::WaitForLogLines("access.log", 2,
                                     served + " \"-\" 200 " + std::to_string(broken.size())),
            2);
  EXPECT_EQ(nettest::CountLogLines("access.log", served, "\"bytes="), 0);
  EXPECT_EQ(Reports(2).size(), 2u);
}

TEST_F(WorkerTest, FileThatCannotBeReplacedWithoutALobbyIsAnOrdinaryFailure) {
  // An entry well before the lobby's: the lobby never reaches the folder.
  const std::wstring blocker = folder_ + L"config\\game00.ini";
  ASSERT_EQ(SHCreateDirectoryExW(nullptr, (folder_ + L"config").c_str(), nullptr), ERROR_SUCCESS);
  ASSERT_TRUE(dltest::WriteWholeFile(blocker, "old"));
  ASSERT_TRUE(SetFileAttributesW(blocker.c_str(), FILE_ATTRIBUTE_READONLY));
  Use(nettest::NginxHost(), servedPath_);
  FakeHost host(folder_);
  EXPECT_EQ(RunToEnd(host), Downloaded(served_.size(), {"ReportDone", "ShowFailureNotice 1"}));
  EXPECT_EQ(dl::g_installState, dl::Extracting);
  EXPECT_FALSE(dltest::FileExists(folder_ + L"lobby.exe"));
  EXPECT_EQ(dltest::ReadWholeFile(package_), served_) << "a sound package was thrown away";
  const Lines reports = Reports(1);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_TRUE(Like(reports[0], R"(4 512 attr:-?\d+ create:-?\d+ errid:5 size:)" +
                                   std::to_string(served_.size()) + " 200019"))
      << reports[0];
}

}  // namespace
