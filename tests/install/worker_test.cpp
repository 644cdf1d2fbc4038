// The install worker under wine against the local servers and on the bench's private desktop.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <wrl/client.h>
#include <gtest/gtest.h>
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

// Records what the worker asks of the window, in order; read once the worker has ended.
struct FakeHost : dl::InstallHost {
  explicit FakeHost(std::wstring folder) : folder(std::move(folder)) {}
  void StartTimer(UINT_PTR id, UINT ms) override { Add("StartTimer", id, ms); }
  void StopTimer(UINT_PTR id) override { Add("StopTimer", id); }
  void SetText(dl::WorkerText which, const wchar_t* text) override {
    char utf8[256] = {};
    WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, nullptr, nullptr);
    Add("SetText" + std::to_string(static_cast<int>(which)) + " " + utf8);
  }
  void ShowRunner(int show) override { Add("ShowRunner", show); }
  void ShowFailureNotice(int kind) override { Add("ShowFailureNotice", kind); }
  void PostActivate() override { Add("PostActivate", dl::g_installState.load()); }
  void ReportDone() override { Add("ReportDone"); }
  std::wstring InstallFolder() override { return Add("InstallFolder"), folder; }
  void Add(std::string line, long long a = -1, long long b = -1) {
    for (long long n : {a, b}) line += n < 0 ? "" : " " + std::to_string(n);
    requests.push_back(line);
  }
  const std::wstring folder;
  Lines requests;
};

// One installation attempt on a thread of its own, with the window's progress hook.
struct Worker : dl::HttpClient {
  explicit Worker(std::wstring folder, uint64_t receivedBefore = 0) : host(std::move(folder)) {
    progress.receivedBytes = receivedBefore;
    thread = std::thread([this] { dl::RunInstall(host, *this, progress, gate); });
  }
  ~Worker() override { Join(); }
  void Join() {
    if (thread.joinable()) thread.join();
  }
  void OnProgress(HANDLE, int, uint32_t elapsed, uint64_t received, uint64_t total,
                  uint64_t fileBytes, int32_t) override {
    dl::RecordProgress(progress, gate, elapsed, received, total, fileBytes);
  }
  FakeHost host;
  dl::PauseGate gate;
  dl::InstallProgress progress;
  std::thread thread;
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
    dl::g_maxDownloadAttempts = 50;  // not 100000 attempts of a worker that cannot download
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

  // The worker's process-wide settings: install base root\, a package on a server.
  void Use(const std::string& server, const std::string& path) {
    host_ = server;
    stats_ = nettest::NginxHost();
    dl::g_serverHost = host_.c_str();
    dl::g_statsHost = stats_.c_str();
    dl::CopyBounded(dl::g_packagePath, dl::kPackagePathCap, path.c_str());
    dl::CopyBounded(dl::g_installBase, dl::kInstallBaseCap, (root_ + L"\\").c_str());
    dl::g_channelId = 200019;
    dl::g_installState = dl::Downloading;
    path_ = path;
  }
  Lines RunToEnd() {
    Worker worker(folder_);
    worker.Join();
    return worker.host.requests;
  }
  // What a worker asks until the download is complete, then `more`.
  static Lines Downloaded(uint64_t size, Lines more) {
    char text[64];
    snprintf(text, sizeof text, "SetText0 %.2fM/%.2fM", size / 1048576.0, size / 1048576.0);
    more.insert(more.begin(), {"StartTimer 112 50", "InstallFolder", "StopTimer 112",
                               "StopTimer 99", text, "SetText1 100%", "SetText2 正在启动"});
    return more;
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
  std::string marker_, served_, path_, host_, stats_;
  std::wstring root_, folder_, package_, link_;
};

// nginx sends /slow/ at 2 MB/s: the pause comes in the middle of the download.
TEST_F(WorkerTest, PausedInstallationWritesNothingThenGoesOnAndHandsOverToTheWindow) {
  Use(nettest::NginxHost(), std::string("/slow/") + kPackage + "?run=" + marker_);
  ASSERT_TRUE(dltest::WriteWholeFile(link_, "a stale link"));
  Worker worker(folder_);
  ASSERT_TRUE(WaitUntil([&] { return worker.progress.downloadedBytes >= 512 * 1024; }));
  worker.gate.Pause();
  Sleep(1500);  // the block in hand is still written; then nothing more
  const uint64_t heldAt = FileSize(package_);
  Sleep(1000);
  EXPECT_TRUE(FileSize(package_) == heldAt && worker.progress.downloadedBytes == heldAt);
  EXPECT_LT(heldAt, served_.size()) << "the download ended before the pause";
  worker.gate.Resume();
  worker.Join();
  EXPECT_EQ(worker.host.requests,
            Downloaded(served_.size(), {"StartTimer 114 500", "PostActivate 3", "ShowRunner 0",
                                        "ReportDone", "StartTimer 115 60000"}));
  EXPECT_EQ(dl::g_installState, dl::Installed);
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

TEST_F(WorkerTest, DownloadThatNeverSucceedsEndsWithTheDownloadNoticeAtTheAttemptLimit) {
  const std::string attempt = "run=" + marker_;
  Use(nettest::FaultHost(), "/status/503?" + attempt);
  dl::g_maxDownloadAttempts = 100;
  Worker worker(folder_, 777);
  ASSERT_TRUE(WaitUntil([&] { return LogLines("fault.log", attempt) >= 5; }));
  worker.gate.Pause();
  Sleep(500);  // the attempt under way may still arrive
  const int heldAt = LogLines("fault.log", attempt);
  Sleep(700);
  EXPECT_EQ(LogLines("fault.log", attempt), heldAt) << "attempts went on while paused";
  worker.gate.Resume();
  worker.Join();
  EXPECT_EQ(worker.progress.receivedBytes, 0u) << "failures without a byte kept a stale speed";
  EXPECT_EQ(LogLines("fault.log", attempt, "", 100), 100);
  EXPECT_EQ(worker.host.requests,
            (Lines{"StartTimer 112 50", "InstallFolder", "ReportDone", "ShowFailureNotice 0"}));
  EXPECT_EQ(dl::g_installState, dl::Downloading);
  EXPECT_FALSE(dltest::FileExists(package_));
  EXPECT_TRUE(Reports(0, "")) << "a download failure sends no report";
}

TEST_F(WorkerTest, BrokenPackageIsReportedAndTheNextWorkerFetchesItAgain) {
  std::string broken = served_;
  broken.replace(broken.size() / 2, 65536, 65536, '\0');
  ASSERT_TRUE(nettest::PutUpdateFile("broken-" + marker_, broken));
  Use(nettest::NginxHost(), "/update/broken-" + marker_);
  for (int round = 1; round <= 2; ++round) {
    EXPECT_EQ(RunToEnd(), Downloaded(broken.size(), {"ReportDone", "ShowFailureNotice 1"}));
    EXPECT_EQ(dl::g_installState, dl::Extracting) << "the button stays inert until the notice";
    EXPECT_FALSE(dltest::FileExists(package_)) << "the broken package would pass as complete";
    const std::string whole = path_ + " \"-\" 200 " + std::to_string(broken.size());
    EXPECT_EQ(LogLines("access.log", whole, "", round), round);
  }
  EXPECT_FALSE(dltest::FileExists(link_));
  // Measured after the first failure: the base folder is there, so the second try ran.
  EXPECT_TRUE(Reports(2, "(4 (65536|1792|2048|83886080) attr:16 create:183 errid:-?\\d+ size:" +
                             std::to_string(broken.size()) + " 200019\n){2}"));
}

TEST_F(WorkerTest, FileThatCannotBeReplacedWithoutALobbyFailsButKeepsThePackage) {
  const std::wstring blocker = folder_ + L"config\\game00.ini";  // well before the lobby
  ASSERT_EQ(SHCreateDirectoryExW(nullptr, (folder_ + L"config").c_str(), nullptr), ERROR_SUCCESS);
  ASSERT_TRUE(dltest::WriteWholeFile(blocker, "old"));
  ASSERT_TRUE(SetFileAttributesW(blocker.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(RunToEnd(), Downloaded(served_.size(), {"ReportDone", "ShowFailureNotice 1"}));
  EXPECT_FALSE(dltest::FileExists(folder_ + L"lobby.exe"));
  EXPECT_EQ(dltest::ReadWholeFile(package_), served_) << "a sound package was thrown away";
  EXPECT_TRUE(Reports(1, R"(4 512 attr:-?\d+ create:-?\d+ errid:5 size:)" +
                             std::to_string(served_.size()) + " 200019\n"));
}

}  // namespace
