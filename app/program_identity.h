// What the program learns from its own file: the share id in its name and the
// default install base from the machine's drives.
#pragma once

#include <cstddef>
#include <string>

namespace dl {

// Reads the program's path (kept in a process-wide buffer) and takes the share id
// candidate from its name. False when the name carries none.
bool ShareIdFromFileName(std::string* shareId);

// Chooses g_installBase from whether drive D: exists, and writes the path line for the
// site's install folder into label. False when the label does not fit.
bool ChooseDefaultInstallBase(wchar_t* label, size_t cap);

}  // namespace dl
