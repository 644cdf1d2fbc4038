// One installation attempt from start to end, on the install worker's thread: connect,
// create the install folder, download the package with immediate retries, extract it (with
// one more try), then hand over to the window for the launch, start an already installed
// lobby, or put up a failure notice; every extraction outcome is reported to the statistics
// server. The worker talks to the window only through InstallHost.
#pragma once

#include "install/install_host.h"
#include "net/http_client.h"

namespace dl {

// Download attempts before the download failure notice.
extern int g_maxDownloadAttempts;  // 100000
// The statistics server the extraction reports go to, "name" or "name:port".
extern const char* g_statsHost;  // DL_STATS_HOST

// The worker's body. client is the window's HTTP client, whose OnProgress override calls
// RecordProgress with progress and gate. Waits at gate first, so a worker created held
// paused starts only when resumed. Returns when the attempt is over (or ends the process
// when it starts a present lobby).
void RunInstall(InstallHost& host, HttpClient& client, InstallProgress& progress, PauseGate& gate);

}  // namespace dl
