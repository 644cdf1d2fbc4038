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
const wchar_t kChildRoot[] = L"DL_WORKER_CHILD_ROOT";
const wchar_t kChildPackagePath[] = L"DL_WORKER_CHILD_PACKAGE";

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
    if (isalnum(c) || c == '-' || c == '_' || c == '.' || c == '~') {
      out += static_cast<char>(c);
    } else {
      char hex[4];
      snprintf(hex, sizeof hex, "%%%02X", c);
      out += hex;
    }
  }
  return out;
}

// Records what the worker asks of the window, in order, from any thread; optionally also as
// lines of a file, for a worker in a process that does not survive it.
class FakeHost : public dl::InstallHost {
 public:
  FakeHost(std::wstring folder, std::wstring journal = L"")
      : folder_(std::move(folder)), journal_(std::move(journal)) {}

  void StartTimer(UINT_PTR id, UINT periodMs) override {
    std::string line = "StartTimer " + std::to_string(id) + " " + std::to_string(periodMs);
    if (id == 114 && !linkToCheck.empty()) {
      line += dltest::FileExists(linkToCheck) ? " link" : " nolink";
    }
    Add(line);
  }
  void StopTimer(UINT_PTR id) override { Add("StopTimer " + std::to_string(id)); }
  void SetText(dl::WorkerText which, const wchar_t* text) override {
    static const char* const kNames[] = {"Size", "Percent", "InstallButton"};
    std::string line = std::string("SetText ") + kNames[static_cast<int>(which)] + " " + Utf8(text);
    if (which == dl::WorkerText::InstallButton) line += " state=" + State();
    Add(line);
  }
  void ShowRunner(int show) override { Add("ShowRunner " + std::to_string(show)); }
  void ShowFailureNotice(int kind) override { Add("ShowFailureNotice " + std::to_string(kind)); }
  void PostActivate() override { Add("PostActivate state=" + State()); }
  void ReportDone() override {
    Add(reportArrived ? (reportArrived() ? "ReportDone report" : "ReportDone noreport")
                      : "ReportDone");
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
    if (journal_.empty()) return;
    dl::UniqueFile file(CreateFileW(journal_.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                    OPEN_ALWAYS, 0, nullptr));
    const std::string text = line + "\n";
    DWORD put = 0;
    if (file) WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &put, nullptr);
  }

  const std::wstring folder_;
  const std::wstring journal_;
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

// One installation attempt on a thread of its own, with a window side of its own.
class Worker {
 public:
  Worker(dl::InstallHost& host, dl::PauseGate& gate, uint64_t receivedBefore = 0)
      : client_(progress, gate) {
    progress.receivedBytes = receivedBefore;
    thread_ = std::thread([this, &host, &gate] { dl::RunInstall(host, client_, progress, gate); });
  }
  ~Worker() { Join(); }
  Worker(const Worker&) = delete;
  Worker& operator=(const Worker&) = delete;
  void Join() {
    if (thread_.joinable()) thread_.join();
  }

  dl::InstallProgress progress;

 private:
  GatedClient client_;
  std::thread thread_;
};

// One statistics request, taken apart.
struct Report {
  int type = 0;
  std::string folder;  // encoded
  long long result = 0, attributes = 0, createResult = 0, lastError = 0, size = 0;
  int channel = 0;
};

bool ParseReport(const std::string& line, Report* out) {
  static const std::regex form(
      R"(/ajax/quickDownLoadStatistics/quickDownStatistics\.jsp\?SiteID=16&StatistsType=(\d)&)"
      R"(UnzipResult=(.*)%7C(-?\d+)%7Cattr%3A(-?\d+)%7Ccreate%3A(-?\d+)%7Cerrid%3A(-?\d+))"
      R"(%7Csize%3A(-?\d+)&channalID=(\d+)\r?)");
  std::smatch m;
  if (!std::regex_match(line, m, form)) return false;
  *out = {std::stoi(m[1]),  m[2],
          std::stoll(m[3]), std::stoll(m[4]),
          std::stoll(m[5]), std::stoll(m[6]),
          std::stoll(m[7]), std::stoi(m[8])};
  return true;
}

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

std::wstring Env(const wchar_t* name) {
  wchar_t value[1024];
  const DWORD n = GetEnvironmentVariableW(name, value, 1024);
  return n > 0 && n < 1024 ? value : L"";
}

// Points the worker's process-wide configuration at a temp root (install base root\, install
// folder root\Tavoro\) and at a package on a server.
class WorkerSetup {
 public:
  void Use(const std::wstring& root, const std::string& server, const std::string& packagePath) {
    server_ = server;
    statsHost_ = nettest::NginxHost();
    dl::g_serverHost = server_.c_str();
    dl::g_statsHost = statsHost_.c_str();
    dl::CopyBounded(dl::g_packagePath, dl::kPackagePathCap, packagePath.c_str());
    dl::CopyBounded(dl::g_installBase, dl::kInstallBaseCap, (root + L"\\").c_str());
    dl::g_channelId = 200019;
    dl::g_installState = dl::Downloading;
  }

 private:
  std::string server_;
  std::string statsHost_;
};

class WorkerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(nettest::NginxHost().empty()) << "the local servers are not running";
    marker_ = nettest::RunMarker();
    root_ = dltest::FreshTempFolder(Wide("dl-worker-" + marker_).c_str());
    folder_ = root_ + L"\\" + dl::kSite.displayName + L"\\";
    package_ = folder_ + Wide(dl::kSite.packageFileName);
    encodedFolder_ = Encoded(Utf8(folder_));
    wchar_t cwd[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, cwd);
    cwd_ = cwd;
    wchar_t desktop[MAX_PATH] = {};
    ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, desktop, CSIDL_DESKTOPDIRECTORY, FALSE));
    link_ = std::wstring(desktop) + L"\\" + dl::kSite.displayName + L".lnk";
    DeleteFileW(link_.c_str());
    // A worker that cannot download must not spend the test's time on 100000 attempts.
    dl::g_maxDownloadAttempts = 50;
    served_ =
        dltest::ReadWholeFile(Wide(nettest::ServersDir() + "\\www\\update\\" + kServedPackage));
    ASSERT_FALSE(served_.empty()) << "nginx serves no test package (build the test_package target "
                                     "before the servers start)";
  }
  void TearDown() override {
    // The worker made the install folder the current one, which keeps it from being removed.
    SetCurrentDirectoryW(cwd_.c_str());
    dltest::RemoveTree(root_);
    DeleteFileW(link_.c_str());
    for (const std::string& name : updateFiles_) nettest::RemoveUpdateFile(name);
    dl::g_maxDownloadAttempts = 100000;
  }

  void Use(const std::string& server, const std::string& packagePath) {
    setup_.Use(root_, server, packagePath);
  }

  // The statistics requests that carry this test's install folder, waiting for `count`.
  std::vector<Report> Reports(int count) {
    nettest::WaitForLogLines("stats.log", count, "UnzipResult=" + encodedFolder_ + "%7C");
    std::istringstream lines(nettest::ReadText(nettest::ServersDir() + "\\stats.log"));
    std::vector<Report> found;
    for (std::string line; std::getline(lines, line);) {
      Report report;
      if (line.find("UnzipResult=" + encodedFolder_ + "%7C") == std::string::npos) continue;
      EXPECT_TRUE(ParseReport(line, &report)) << line;
      found.push_back(report);
    }
    return found;
  }

  // The requests up to the moment the download was complete.
  Lines DownloadedRequests(uint64_t size) const {
    char text[64];
    snprintf(text, sizeof text, "%.2fM/%.2fM", static_cast<double>(size) / 1048576.0,
             static_cast<double>(size) / 1048576.0);
    return {"StartTimer 112 50",
            "InstallFolder",
            "StopTimer 112",
            "StopTimer 99",
            std::string("SetText Size ") + text,
            "SetText Percent 100%",
            "SetText InstallButton 正在启动 state=4"};
  }

  static Lines Plus(Lines lines, const Lines& more) {
    lines.insert(lines.end(), more.begin(), more.end());
    return lines;
  }

  std::string marker_;
  std::wstring root_, folder_, package_, cwd_, link_;
  std::string encodedFolder_;
  std::string served_;
  std::vector<std::string> updateFiles_;
  WorkerSetup setup_;
};

TEST_F(WorkerTest, InstallsFromTheServerAndHandsOverToTheWindow) {
  const std::string path = std::string("/update/") + kServedPackage + "?run=" + marker_;
  Use(nettest::NginxHost(), path);
  FakeHost host(folder_);
  host.linkToCheck = link_;
  host.reportArrived = [this] {
    return nettest::WaitForLogLines("stats.log", 1,
                                    "StatistsType=3&UnzipResult=" + encodedFolder_ + "%7C") == 1;
  };
  dl::PauseGate gate;
  {
    Worker worker(host, gate);
    worker.Join();
    EXPECT_EQ(worker.progress.downloadedBytes, served_.size());
    EXPECT_EQ(worker.progress.totalBytes, served_.size());
  }

  EXPECT_EQ(host.Requests(), Plus(DownloadedRequests(served_.size()),
                                  {"StartTimer 114 500 link", "PostActivate state=3",
                                   "ShowRunner 0", "ReportDone report", "StartTimer 115 60000"}));
  EXPECT_EQ(dl::g_installState, dl::Installed);

  // The package stays beside the lobby for a later run; the lobby came out of it unchanged.
  EXPECT_EQ(dltest::ReadWholeFile(package_), served_);
  EXPECT_EQ(dltest::ReadWholeFile(folder_ + L"lobby.exe"),
            dltest::ReadWholeFile(dltest::ProgramFolder() + L"lobby.exe"));
  EXPECT_TRUE(dltest::FileExists(folder_ + L"config\\game00.ini"));
  EXPECT_TRUE(dltest::FileExists(link_));
  EXPECT_EQ(nettest::WaitForLogLines("access.log", 1,
                                     path + " \"-\" 200 " + std::to_string(served_.size())),
            1);

  const std::vector<Report> reports = Reports(1);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].type, 3);
  EXPECT_EQ(reports[0].folder, encodedFolder_);
  EXPECT_EQ(reports[0].result, 0);
  EXPECT_EQ(reports[0].attributes, 0);
  EXPECT_EQ(reports[0].createResult, 0);
  EXPECT_EQ(reports[0].size, 0);
  EXPECT_EQ(reports[0].channel, 200019);
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
  Sleep(500);  // the block in hand is written, then the worker holds
  const uint64_t heldAt = FileSize(package_);
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
  const Lines requests = host.Requests();
  ASSERT_FALSE(requests.empty());
  EXPECT_EQ(requests.back(), "StartTimer 115 60000");
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
    // A pause between two attempts holds the loop until it is resumed: at most the attempt
    // under way when it came still reaches the server.
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
  const std::string name = "broken-" + marker_ + ".zip";
  ASSERT_TRUE(nettest::PutUpdateFile(name, broken));
  updateFiles_.push_back(name);
  Use(nettest::NginxHost(), "/update/" + name);

  FakeHost first(folder_);
  dl::PauseGate gate;
  {
    Worker worker(first, gate);
    worker.Join();
  }
  EXPECT_EQ(first.Requests(),
            Plus(DownloadedRequests(broken.size()), {"ReportDone", "ShowFailureNotice 1"}));
  EXPECT_EQ(dl::g_installState, dl::Extracting) << "the button stays inert until the notice";
  EXPECT_FALSE(dltest::FileExists(package_)) << "the broken package would pass as complete";
  EXPECT_FALSE(dltest::FileExists(link_));

  std::vector<Report> reports = Reports(1);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].type, 4);
  const long long result = reports[0].result;
  EXPECT_TRUE(result == 65536 || result == 1792 || result == 2048 || result == 83886080) << result;
  // Measured after the first failure: the base folder is there, so the second try ran.
  EXPECT_EQ(reports[0].attributes, FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(reports[0].createResult, ERROR_ALREADY_EXISTS);
  EXPECT_EQ(reports[0].size, static_cast<long long>(broken.size()));

  FakeHost second(folder_);
  {
    Worker worker(second, gate);
    worker.Join();
    EXPECT_EQ(worker.progress.receivedBytes, broken.size()) << "the package was not fetched again";
  }
  EXPECT_EQ(nettest::WaitForLogLines(
                "access.log", 2, "/update/" + name + " \"-\" 200 " + std::to_string(broken.size())),
            2);
  EXPECT_EQ(nettest::CountLogLines("access.log", "/update/" + name, "\"bytes="), 0);
  EXPECT_EQ(Reports(2).size(), 2u);
}

TEST_F(WorkerTest, FileThatCannotBeReplacedWithoutALobbyIsAnOrdinaryFailure) {
  // An entry well before the lobby's: the lobby never reaches the folder.
  const std::wstring blocker = folder_ + L"config\\game00.ini";
  ASSERT_EQ(SHCreateDirectoryExW(nullptr, (folder_ + L"config").c_str(), nullptr), ERROR_SUCCESS);
  ASSERT_TRUE(dltest::WriteWholeFile(blocker, "old"));
  ASSERT_TRUE(SetFileAttributesW(blocker.c_str(), FILE_ATTRIBUTE_READONLY));
  Use(nettest::NginxHost(), std::string("/update/") + kServedPackage + "?run=" + marker_);

  FakeHost host(folder_);
  dl::PauseGate gate;
  {
    Worker worker(host, gate);
    worker.Join();
  }
  EXPECT_EQ(host.Requests(),
            Plus(DownloadedRequests(served_.size()), {"ReportDone", "ShowFailureNotice 1"}));
  EXPECT_EQ(dl::g_installState, dl::Extracting);
  EXPECT_FALSE(dltest::FileExists(folder_ + L"lobby.exe"));
  EXPECT_EQ(dltest::ReadWholeFile(package_), served_) << "a sound package was thrown away";

  const std::vector<Report> reports = Reports(1);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].type, 4);
  EXPECT_EQ(reports[0].result, 512);
  EXPECT_EQ(reports[0].lastError, ERROR_ACCESS_DENIED);
  EXPECT_EQ(reports[0].size, static_cast<long long>(served_.size()));
}

// The worker ends its process when it starts a present lobby, so that case runs in a child:
// this test program again, running only WorkerChild.
TEST_F(WorkerTest, PresentLobbyThatCannotBeReplacedIsStartedAndTheProcessEnds) {
  const std::wstring lobby = folder_ + L"lobby.exe";
  ASSERT_EQ(SHCreateDirectoryExW(nullptr, folder_.c_str(), nullptr), ERROR_SUCCESS);
  ASSERT_TRUE(CopyFileW((dltest::ProgramFolder() + L"lobby.exe").c_str(), lobby.c_str(), FALSE));
  ASSERT_TRUE(SetFileAttributesW(lobby.c_str(), FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(SetEnvironmentVariableW(kChildRoot, root_.c_str()));
  ASSERT_TRUE(SetEnvironmentVariableW(
      kChildPackagePath,
      Wide(std::string("/update/") + kServedPackage + "?run=" + marker_).c_str()));

  wchar_t self[MAX_PATH];
  ASSERT_GT(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
  dltest::ChildProcess child;
  ASSERT_TRUE(child.Start(self, L"--gtest_also_run_disabled_tests --gtest_filter=WorkerChild.*"));
  DWORD code = 1;
  ASSERT_TRUE(child.Wait(120000, &code));
  SetEnvironmentVariableW(kChildRoot, nullptr);
  SetEnvironmentVariableW(kChildPackagePath, nullptr);
  EXPECT_EQ(code, 0u);
  EXPECT_FALSE(dltest::FileExists(root_ + L"\\returned.txt")) << "RunInstall came back";

  const std::wstring note = folder_ + L"lobby_ran.txt";
  ASSERT_TRUE(WaitUntil([&] { return dltest::FileExists(note); }, 10000))
      << "the present lobby was not started";
  // Started from the install folder, which the worker had made the current one.
  std::wstring cwd = folder_.substr(0, folder_.size() - 1);
  EXPECT_NE(dltest::ReadWholeFile(note).find("cwd=" + Utf8(cwd) + "\n"), std::string::npos);

  std::istringstream journal(dltest::ReadWholeFile(root_ + L"\\journal.txt"));
  Lines requests;
  for (std::string line; std::getline(journal, line);) requests.push_back(line);
  EXPECT_EQ(requests, DownloadedRequests(served_.size())) << "nothing after the extraction";
  Sleep(300);
  EXPECT_TRUE(Reports(0).empty()) << "no report when the present lobby is started";
}

// Run only as the child of the test above.
TEST(WorkerChild, DISABLED_RunsOneInstallation) {
  const std::wstring root = Env(kChildRoot);
  ASSERT_FALSE(root.empty());
  const std::wstring folder = root + L"\\" + dl::kSite.displayName + L"\\";
  WorkerSetup setup;
  setup.Use(root, nettest::NginxHost(), Utf8(Env(kChildPackagePath)));
  dl::g_maxDownloadAttempts = 50;
  FakeHost host(folder, root + L"\\journal.txt");
  dl::PauseGate gate;
  {
    Worker worker(host, gate);
    worker.Join();
  }
  dltest::WriteWholeFile(root + L"\\returned.txt", "returned\n");
}

}  // namespace
