#include "install/channel_profile.h"

#include <windows.h>

#include "app/site_config.h"
#include "base/bounded_text.h"

namespace dl {

namespace {
constexpr size_t kProfilePathCap = 1024;
}  // namespace

bool WriteChannelProfile(const wchar_t* installFolder) {
  if (g_channelId <= 0 || installFolder == nullptr) return false;
  char number[16];
  if (!FormatBounded(number, sizeof number, "%d", g_channelId)) return false;

  char path[kProfilePathCap];
  const int bytes =
      WideCharToMultiByte(CP_ACP, 0, installFolder, -1, path, sizeof path, nullptr, nullptr);
  // A folder that does not fit is not cut: a shorter path would name another folder.
  if (bytes <= 0 || !AppendBounded(path, sizeof path, "IsLobbyLogin.dat")) return false;
  return WritePrivateProfileStringA("ChannelID", "ChannelID", number, path) != FALSE;
}

}  // namespace dl
