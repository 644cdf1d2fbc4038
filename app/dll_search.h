// The loader's search order, narrowed before anything else loads a library: the program is
// often started from a download folder, and a file there named like a system library must never
// be loaded in place of it, neither by the program nor by the system's own libraries later.
#pragma once

namespace dl {

// Restricts later loads by bare name to the system folder where the loader supports it (Windows
// 7 with its loader update and later); elsewhere removes the current folder from the search
// and turns on safe search mode. Returns 1 when the system-folder-only order is in force.
int RestrictDllSearch();

}  // namespace dl
