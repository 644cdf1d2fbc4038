// One downloader per session: a named mutex tells a second start that a first one runs.
#pragma once

namespace dl {

extern const char kInstanceMutexName[];

// Creates the instance mutex (kept open until the process ends). False only when
// another instance already holds it; any other failure counts as the first instance.
bool TakeInstanceMutex();

// Tells a running instance to come forward (posted to every top-level window).
void BroadcastActivation();

}  // namespace dl
