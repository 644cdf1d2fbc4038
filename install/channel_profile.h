// The channel profile the lobby reads: "IsLobbyLogin.dat" in the install folder,
// section "ChannelID", key "ChannelID", the site's channel number. Nothing here reads it back.
#pragma once

namespace dl {

// installFolder: the install folder, ending in "\". Writes channelId in decimal through the
// platform's profile writer, which creates the file or replaces only that key. Returns whether the
// key was written; false for a channel of 0 or less, an empty folder, a path beyond 1024 characters
// (refused, never cut) or a missing folder. Callers ignore the result: a profile that cannot be
// written is simply missing.
bool WriteChannelProfile(const wchar_t* installFolder, int channelId);

}  // namespace dl
