#include "install/channel_profile.h"

#include <windows.h>

#include "base/bounded_text.h"
#include "base/text_convert.h"

namespace dl {

namespace {
constexpr size_t kProfilePathCap = 1024;
constexpr char kProfileName[] = "IsLobbyLogin.dat";
constexpr char kSectionAndKey[] = "ChannelID";
}  // namespace

bool WriteChannelProfile(const wchar_t* installFolder, int channelId) {
  if (channelId <= 0) return false;
  // Without a folder the bare file name would make the profile writer use the Windows folder.
  if (installFolder == nullptr || installFolder[0] == L'\0') return false;

  char number[16];
  if (!FormatBounded(number, sizeof number, "%d", channelId)) return false;

  char path[kProfilePathCap];
  // A folder that does not fit is refused rather than cut: a shortened path names another folder.
  if (!ToNarrow(installFolder, CodePage::kAnsi, path, sizeof path) ||
      !AppendBounded(path, sizeof path, kProfileName)) {
    return false;
  }
  return WritePrivateProfileStringA(kSectionAndKey, kSectionAndKey, number, path) != FALSE;
}

}  // namespace dl
