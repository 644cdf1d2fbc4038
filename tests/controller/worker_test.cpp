// The install worker under wine against the local servers and on the bench's private desktop.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <wrl/client.h>
#include <gtest/gtest.h>
#include <algorithm>
#include <regex>
#include <sstream>
#include <string>
#include <mutex>
#include <vector>

#include "config/site_record.h"
#include "config/site_settings.h"
#include "controller/install_controller.h"
#include "tests/net/server_env.h"
#include "tests/support/win_test_util.h"

namespace {

using Lines = std::vector<std::string>;
using nettest::LogLines;
using nettest::Wide;

// "path|working folder|icon|index" as the shell reads the link; COM only for this, as the
// installer makes it without.
std::string ReadLink(const std::wstring& name) {
  if (FAILED(CoInitialize(nullptr))) return "<no COM>";
  char path[1024] = {}, dir[1024] = {}, icon[1024] = {};
  int index = -1;
  {
    Microsoft::WRL::ComPtr<IShellLinkA> link;
    Microsoft::WRL::ComPtr<IPersistFile> file;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_PPV_ARGS(&link))) &&
        SUCCEEDED(link.As(&file)) && SUCCEEDED(file->Load(name.c_str(), STGM_READ))) {
      link->GetPath(path, sizeof path, nullptr, SLGP_RAWPATH);
      link->GetWorkingDirectory(dir, sizeof dir);
      link->GetIconLocation(icon, sizeof icon, &index);
    }
  }
  CoUninitialize();
  return std::string(path) + "|" + dir + "|" + icon + "|" + std::to_string(index);
}

// Records the installation's events in order, as "<event> <figures or codes>".
struct Recorder : dl::InstallObserver {
  void OnDownloadStarted() override { Add("DownloadStarted"); }
  void OnReconnecting() override { Add("Reconnecting"); }
  void OnReconnected() override { Add("Reconnected"); }
  void OnDownloadComplete(const dl::DownloadFigures& f) override {
    Add("DownloadComplete " + std::to_string(f.downloadedBytes) + "/" +
        std::to_string(f.totalBytes));
  }
  void OnExtracting() override { Add("Extracting"); }
  void OnInstalled() override { Add("Installed"); }
  void OnFailed(dl::FailureKind kind, int result) override {
    Add("Failed " + std::to_string(static_cast<int>(kind)) + " " + std::to_string(result));
  }
  void OnPresentLobbyStarted() override { Add("PresentLobbyStarted"); }
  void Add(const std::string& line) {
    std::lock_guard<std::mutex> lock(mutex);
    events.push_back(line);
  }
  Lines Events() {
    std::lock_guard<std::mutex> lock(mutex);
    return events;
  }
  // Attempts that have ended.
  int Endings() {
    int n = 0;
    for (const std::string& line : Events())
      n += line == "Installed" || line.rfind("Failed", 0) == 0 || line == "PresentLobbyStarted";
    return n;
  }
  std::mutex mutex;
  Lines events;
};

// One installation attempt of a controller of its own.
struct Installation {
  Installation(const dl::SiteSettings& settings, const dl::InstallTarget& target)
      : controller(settings, recorder) {
    EXPECT_TRUE(controller.Start(target));
  }
  // The events once `attempts` attempts have ended and the last one's report is out.
  Lines Finish(int attempts = 1) {
    for (int waited = 0; waited < 90000 && recorder.Endings() < attempts; waited += 20) Sleep(20);
    controller.WaitForReport(20000);
    return recorder.Events();
  }
  Recorder recorder;
  dl::InstallController controller;
};

uint64_t FileSize(const std::wstring& path) {  // the worker holds the file open, unshared
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
  return data.nFileSizeLow;
}
template <typename Done>
bool WaitUntil(Done done) {  // up to 20 seconds
  for (int waited = 0; waited < 20000 && !done(); waited += 20) Sleep(20);
  return done();
}

class WorkerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(nettest::NginxHost().empty()) << "the local servers are not running";
    marker_ = nettest::RunMarker();
    root_ = dltest::FreshTempFolder(Wide("dl-worker-" + marker_).c_str());
    folder_ = root_ + L"\\" + dl::kSite.displayName + L"\\";
    package_ = folder_ + Wide(dl::kSite.packageFileName);
    wchar_t desktop[MAX_PATH] = {};
    ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, desktop, CSIDL_DESKTOPDIRECTORY, FALSE));
    link_ = std::wstring(desktop) + L"\\" + dl::kSite.displayName + L".lnk";
    DeleteFileW(link_.c_str());
    served_ = dltest::ReadWholeFile(Wide(nettest::ServersDir() + "\\www\\update\\" + kPackage));
    ASSERT_FALSE(served_.empty()) << "nginx serves no test package (build test_package first)";
    Use(nettest::NginxHost(), std::string("/update/") + kPackage);
  }
  void TearDown() override {
    SetCurrentDirectoryW(dltest::ProgramFolder().c_str());  // the worker's blocks the removal
    dltest::RemoveTree(root_);
    DeleteFileW(link_.c_str());
    nettest::RemoveUpdateFile("broken-" + marker_);
  }

  // The site's settings: a package on a server, reports to nginx, at most 50 attempts (not
  // 100000 of a worker that cannot download).
  void Use(const std::string& server, const std::string& path) {
    settings_.updateHost = server;
    settings_.statsHost = nettest::NginxHost();
    settings_.packagePath = path;
    settings_.channelId = 200019;
    settings_.maxDownloadAttempts = 50;
    path_ = path;
  }
  dl::InstallTarget Target() const { return {root_ + L"\\", folder_}; }
  Lines RunToEnd() { return Installation(settings_, Target()).Finish(); }
  // The events of an attempt whose download completed, then `more`.
  static Lines Downloaded(uint64_t size, Lines more) {
    const std::string figures = std::to_string(size) + "/" + std::to_string(size);
    more.insert(more.begin(), {"DownloadStarted", "DownloadComplete " + figures, "Extracting"});
    return more;
  }
  // The same events with a wait for the server after the start.
  static Lines AfterOutage(Lines events) {
    events.insert(events.begin() + 1, {"Reconnecting", "Reconnected"});
    return events;
  }
  // This test's reports, once `count` came, as "<type> <result> attr: create: errid: size: <ch>".
  ::testing::AssertionResult Reports(int count, const std::string& pattern) {
    const std::string key = "dl-worker-" + marker_;
    LogLines("stats.log", key, "", count);
    static const std::regex form(
        R"(.*StatistsType=(\d)&UnzipResult=.*%7C(-?\d+)%7Cattr%3A(-?\d+)%7Ccreate%3A(-?\d+))"
        R"(%7Cerrid%3A(-?\d+)%7Csize%3A(-?\d+)&channalID=(\d+)\r?)");
    std::istringstream lines(nettest::ReadLog("stats.log"));
    std::string found;
    for (std::string line; std::getline(lines, line);) {
      if (line.find(key) != std::string::npos)
        found += std::regex_replace(line, form, "$1 $2 attr:$3 create:$4 errid:$5 size:$6 $7\n");
    }
    if (std::regex_match(found, std::regex(pattern))) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << found;
  }

  static constexpr char kPackage[] = "rolk_lobby_full.zip";
  dl::SiteSettings settings_;
  std::string marker_, served_, path_;
  std::wstring root_, folder_, package_, link_;
};

// nginx sends /slow/ at 2 MB/s: the pause comes in the middle of the download.
TEST_F(WorkerTest, PausedInstallationWritesNothingThenGoesOnAndHandsOverToTheWindow) {
  Use(nettest::NginxHost(), std::string("/slow/") + kPackage + "?run=" + marker_);
  ASSERT_TRUE(dltest::WriteWholeFile(link_, "a stale link"));
  Installation run(settings_, Target());
  dl::InstallController& controller = run.controller;
  ASSERT_TRUE(WaitUntil([&] { return controller.figures().downloadedBytes >= 512 * 1024; }));
  ASSERT_TRUE(controller.Pause());
  EXPECT_EQ(controller.state(), dl::InstallState::Paused);
  Sleep(1500);  // the block in hand is still written; then nothing more
  const uint64_t heldAt = FileSize(package_);
  Sleep(1000);
  EXPECT_TRUE(FileSize(package_) == heldAt && controller.figures().downloadedBytes == heldAt);
  EXPECT_LT(heldAt, served_.size()) << "the download ended before the pause";
  EXPECT_FALSE(controller.Start(Target())) << "one installation at a time";
  ASSERT_TRUE(controller.Resume());
  EXPECT_EQ(run.Finish(), Downloaded(served_.size(), {"Installed"}));
  EXPECT_EQ(controller.state(), dl::InstallState::Installed);
  EXPECT_FALSE(controller.Pause()) << "nothing left to pause";
  EXPECT_EQ(LogLines("access.log", path_, "", 1), 1) << "the pause broke the transfer off";
  // The package stays beside the lobby for a later run; the lobby came out of it unchanged.
  EXPECT_EQ(dltest::ReadWholeFile(package_), served_);
  EXPECT_EQ(dltest::ReadWholeFile(folder_ + L"lobby.exe"),
            dltest::ReadWholeFile(dltest::ProgramFolder() + L"lobby.exe"));
  // The doubled separator shows only in the icon location: the shell resolves the path given.
  const std::string at(folder_.begin(), folder_.end());
  EXPECT_EQ(ReadLink(link_), at + "lobby.exe|" + at + "|" + at + "\\lobby.exe|0");
  EXPECT_TRUE(Reports(1, R"(3 0 attr:0 create:0 errid:\d+ size:0 200019\n)"));
}

// Against a server that is gone the notice comes at the give-up time, after a few connections;
// the attempt limit stays a second bound.
TEST_F(WorkerTest, ServerGoneFromTheStartIsAskedRarelyAndTheNoticeComesInTime) {
  const std::string attempt = "run=" + marker_;
  Use(nettest::FaultHost(), "/dead?" + attempt);
  settings_.giveUpAfterSeconds = 8;
  const DWORD start = GetTickCount();
  Installation run(settings_, Target());
  EXPECT_EQ(run.Finish(), (Lines{"DownloadStarted", "Reconnecting", "Failed 0 0"}));
  const DWORD took = GetTickCount() - start;
  const int connections = LogLines("fault.log", attempt);
  EXPECT_TRUE(took >= 7900 && took < 16000) << took << " ms";
  // Immediate retries would make hundreds; the backoff makes 1 + 1 + about log2(8) + 1.
  EXPECT_TRUE(connections >= 3 && connections <= 10) << connections;
  RecordProperty("dead_server_connections_in_8s", connections);
  RecordProperty("dead_server_ms_to_notice", static_cast<int>(took));
  EXPECT_EQ(run.controller.state(), dl::InstallState::Downloading);
  EXPECT_FALSE(dltest::FileExists(package_));
  EXPECT_TRUE(Reports(0, "")) << "a download failure sends no report";

  Use(nettest::FaultHost(), "/status/503?limit-" + attempt);
  settings_.maxDownloadAttempts = 3;
  EXPECT_EQ(RunToEnd().back(), "Failed 0 0");
  EXPECT_EQ(LogLines("fault.log", "limit-" + attempt), 3);
}

// A busy server's Retry-After is waited out; a pause holds the wait and a continue asks at once.
TEST_F(WorkerTest, RetryAfterIsObeyedAndContinueDuringTheWaitAsksAtOnce) {
  const std::string attempt = "run=" + marker_;
  Use(nettest::FaultHost(), "/busy/4/0?file=" + std::string(kPackage) + "&" + attempt);
  const DWORD start = GetTickCount();
  Installation run(settings_, Target());
  EXPECT_EQ(run.Finish(), AfterOutage(Downloaded(served_.size(), {"Installed"})));
  const DWORD took = GetTickCount() - start;
  EXPECT_TRUE(took >= 3400 && took < 9000) << took << " ms";
  EXPECT_EQ(LogLines("fault.log", attempt), 2);
  EXPECT_EQ(dltest::ReadWholeFile(package_), served_);

  Use(nettest::FaultHost(), "/busy/60/1000?held-" + attempt);
  Installation held(settings_, Target());
  ASSERT_TRUE(WaitUntil([&] { return LogLines("fault.log", "held-" + attempt) == 1; }));
  ASSERT_TRUE(held.controller.Pause());
  Sleep(1500);
  EXPECT_EQ(LogLines("fault.log", "held-" + attempt), 1);
  const DWORD resumed = GetTickCount();
  ASSERT_TRUE(held.controller.Resume());
  ASSERT_TRUE(WaitUntil([&] { return LogLines("fault.log", "held-" + attempt) == 2; }));
  EXPECT_LT(GetTickCount() - resumed, 3000u) << "the continue waited out the server's minute";
}

// The server goes away for 20 s in the middle of the download: it goes on by itself, from where
// it stopped, and the package is the one served.
TEST_F(WorkerTest, ServerBackAfterAnOutageResumesWithoutAClick) {
  const std::string attempt = "run=" + marker_;
  Use(nettest::FaultHost(), "/outage/0/300000/20?file=" + std::string(kPackage) + "&" + attempt);
  Installation run(settings_, Target());
  Lines events = run.Finish();
  EXPECT_EQ(events, AfterOutage(Downloaded(served_.size(), {"Installed"})));
  EXPECT_EQ(dltest::ReadWholeFile(package_), served_);
  // Every attempt after the break asked only for the rest.
  const int ranged = LogLines("fault.log", attempt, "\"range\": \"bytes=300000-\"");
  EXPECT_GE(ranged, 1);
  EXPECT_EQ(LogLines("fault.log", attempt), ranged + 1);
}

// Three mirrors: the first is gone; the second breaks off, then is gone too, and its copy is
// dated otherwise than the third's. Each hands over after three failures without a byte, and
// the third starts the kept bytes over, as their date says they are another version's.
TEST_F(WorkerTest, MirrorsHandOverAndAnotherVersionsBytesStartOver) {
  const std::string path = std::string("/update/") + kPackage + "?mirror=" + marker_;
  Use(std::string(nettest::kClosedHost) + ", " + nettest::FaultHost() + " ," + nettest::NginxHost(),
      path);
  Lines events = RunToEnd();
  events.erase(std::remove(events.begin(), events.end(), "Reconnecting"), events.end());
  events.erase(std::remove(events.begin(), events.end(), "Reconnected"), events.end());
  EXPECT_EQ(events, Downloaded(served_.size(), {"Installed"}));
  EXPECT_EQ(dltest::ReadWholeFile(package_), served_);
  EXPECT_EQ(LogLines("fault.log", "mirror=" + marker_), 4) << "one cut answer, three refusals";
  // Asked for the rest on the condition of the second's version, the third sends it all.
  EXPECT_EQ(LogLines("access.log", path, "\" 200 " + std::to_string(served_.size())), 1);
  EXPECT_EQ(LogLines("access.log", path, "bytes="), LogLines("access.log", path, "bytes=300000-"));
}

TEST_F(WorkerTest, BrokenPackageIsReportedAndTheNextWorkerFetchesItAgain) {
  std::string broken = served_;
  broken.replace(broken.size() / 2, 65536, 65536, '\0');
  ASSERT_TRUE(nettest::PutUpdateFile("broken-" + marker_, broken));
  Use(nettest::NginxHost(), "/update/broken-" + marker_);
  Installation run(settings_, Target());
  for (int round = 1; round <= 2; ++round) {
    const Lines events = run.Finish(round);
    ASSERT_EQ(events.size(), 4u * round);
    EXPECT_EQ(Lines(events.end() - 4, events.end() - 1), Downloaded(broken.size(), {}));
    EXPECT_TRUE(std::regex_match(events.back(), std::regex("Failed 1 (65536|1792|83886080)")))
        << events.back();
    EXPECT_EQ(run.controller.state(), dl::InstallState::Extracting)
        << "the button stays inert until the notice";
    EXPECT_FALSE(dltest::FileExists(package_)) << "the broken package would pass as complete";
    const std::string whole = path_ + " \"-\" \"-\" 200 " + std::to_string(broken.size());
    EXPECT_EQ(LogLines("access.log", whole, "", round), round);
    if (round == 1) run.controller.Restart(Target(), false);  // as the notice's button does
  }
  EXPECT_FALSE(dltest::FileExists(link_));
  // Measured after the first failure: the base folder is there, so the second try ran.
  EXPECT_TRUE(Reports(2, "(4 (65536|1792|83886080) attr:16 create:183 errid:-?\\d+ size:" +
                             std::to_string(broken.size()) + " 200019\n){2}"));
}

TEST_F(WorkerTest, FileThatCannotBeReplacedWithoutALobbyFailsButKeepsThePackage) {
  const std::wstring blocker = folder_ + L"config\\game00.ini";  // well before the lobby
  ASSERT_EQ(SHCreateDirectoryExW(nullptr, (folder_ + L"config").c_str(), nullptr), ERROR_SUCCESS);
  ASSERT_TRUE(dltest::WriteWholeFile(blocker, "old"));
  ASSERT_TRUE(SetFileAttributesW(blocker.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(RunToEnd(), Downloaded(served_.size(), {"Failed 1 512"}));
  EXPECT_FALSE(dltest::FileExists(folder_ + L"lobby.exe"));
  EXPECT_EQ(dltest::ReadWholeFile(package_), served_) << "a sound package was thrown away";
  EXPECT_TRUE(Reports(1, R"(4 512 attr:-?\d+ create:-?\d+ errid:5 size:)" +
                             std::to_string(served_.size()) + " 200019\n"));
}

}  // namespace
