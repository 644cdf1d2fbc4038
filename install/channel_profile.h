// The channel profile the lobby reads: "IsLobbyLogin.dat" in the install folder, section and
// key "ChannelID", the build's channel number.
#pragma once

namespace dl {

// installFolder is the folder the installer shows (ending in "\"). Writes g_channelId into
// the profile unless it is 0 or negative; other sections and keys of an existing file stay.
// False when nothing was written (no channel, a folder that does not fit the path buffer or
// the code page, a missing folder).
bool WriteChannelProfile(const wchar_t* installFolder);

}  // namespace dl
