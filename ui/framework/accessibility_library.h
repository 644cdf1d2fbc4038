// The accessibility library's functions the windows use, bound at run time from the system
// folder (it is no KnownDLL; see base/system_library.h). Loaded on the first request of a
// client, so a program nobody reads aloud never loads it.
#pragma once

#include <windows.h>

#include <oleacc.h>

#include "base/system_library.h"

namespace dl {

struct AccessibilityLibrary {
  SystemLibrary library{L"oleacc.dll"};
  decltype(&::LresultFromObject) lresultFromObject =
      library.Resolve<decltype(&::LresultFromObject)>("LresultFromObject");
  decltype(&::CreateStdAccessibleObject) createStdAccessibleObject =
      library.Resolve<decltype(&::CreateStdAccessibleObject)>("CreateStdAccessibleObject");
};

// The one binding of the process, made on first use.
const AccessibilityLibrary& Oleacc();

}  // namespace dl
