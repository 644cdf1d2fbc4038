// One downloader per session: a named mutex tells a second start that a first one runs.
#pragma once

namespace dl {

extern const char kInstanceMutexName[];
extern const char kActivateMessageName[];

// The registered id of the activation message; 0 until process start-up registers it.
extern unsigned WM_DOWNLOADER_ACTIVATE;

// Creates the instance mutex (kept open until the process ends). False only when
// another instance already holds it; any other failure counts as the first instance.
bool TakeInstanceMutex();

// Tells a running instance to come forward (posted to every top-level window).
void BroadcastActivation();

}  // namespace dl
