#include "install/channel_profile.h"

#include <windows.h>

#include "base/bounded_text.h"

namespace dl {

namespace {
constexpr size_t kProfilePathCap = 1024;
constexpr wchar_t kProfileName[] = L"IsLobbyLogin.dat";
constexpr wchar_t kSectionAndKey[] = L"ChannelID";
}  // namespace

bool WriteChannelProfile(const wchar_t* installFolder, int channelId) {
  if (channelId <= 0) return false;
  // Without a folder the bare file name would make the profile writer use the Windows folder.
  if (installFolder == nullptr || installFolder[0] == L'\0') return false;

  char digits[16];
  wchar_t number[16] = {};
  if (!FormatBounded(digits, sizeof digits, "%d", channelId) || !AppendAscii(number, 16, digits)) {
    return false;
  }
  wchar_t path[kProfilePathCap];
  // A folder that does not fit is refused rather than cut: a shortened path names another folder.
  if (!CopyBounded(path, kProfilePathCap, installFolder) ||
      !AppendBounded(path, kProfilePathCap, kProfileName)) {
    return false;
  }
  return WritePrivateProfileStringW(kSectionAndKey, kSectionAndKey, number, path) != FALSE;
}

}  // namespace dl
