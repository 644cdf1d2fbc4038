// The settings as the program itself reads them at start: its string table, the build's
// values, the share id in its own file name and the default install base from the machine's
// drives.
#pragma once

#include "config/site_settings.h"

namespace dl {

// strings: the program's own string table (ResourceStrings), which reports a missing string.
SiteSettings LoadSiteSettings(ConfigStrings& strings);

}  // namespace dl
