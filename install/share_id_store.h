// The share id record the lobby reads: the default value of the site's key under
// HKEY_CURRENT_USER\SOFTWARE.
#pragma once

namespace dl {

// Stores shareId (ANSI digits) as the REG_SZ default value of the site's share key,
// creating the key and its parents. Failures leave the record missing, silently.
void StoreShareId(const char* shareId);

}  // namespace dl
