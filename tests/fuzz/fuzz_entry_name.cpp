// Entry names as a hostile archive may hold them. Input: mode byte (bit 0: double-byte code
// page, bits 1-2: install folder), capacity byte, then the raw name.
#include <cstdint>
#include <cstring>
#include <string>

#include "install/entry_name.h"

namespace {

void Require(bool ok) {
  if (!ok) __builtin_trap();
}

// Like the Chinese code page: any byte from 0x81 starts a character.
bool GbkLead(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

const char* const kFolders[] = {"C:\\Games\\Lobby", "D:\\\xd3\xce\xcf\xb7\\",
                                "\\\\server\\share\\lobby", "C:/Program Files/x/../y/"};

bool NamesDevice(std::string c) {
  c = c.substr(0, c.find('.'));
  while (!c.empty() && c.back() == ' ') c.pop_back();
  for (char& ch : c) ch = (ch >= 'a' && ch <= 'z') ? static_cast<char>(ch - 32) : ch;
  for (const char* d : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"})
    if (c == d) return true;
  return c.size() == 4 && (c.compare(0, 3, "COM") == 0 || c.compare(0, 3, "LPT") == 0) &&
         c[3] >= '1' && c[3] <= '9';
}

// What the file system will see in an accepted name: components between separators outside
// double-byte characters, none of which may climb, name a drive, stream or device, or be
// renamed silently.
void CheckAccepted(const char* name, size_t cap, dl::LeadBytePredicate isLead) {
  const size_t length = strnlen(name, cap);
  Require(length < cap);
  size_t begin = 0;
  bool lastSingle = false;
  for (size_t i = 0;; ++i) {
    if (i == length || name[i] == '\\' || name[i] == '/') {
      Require(i == length || name[i] == '\\');
      const std::string c(name + begin, i - begin);
      Require(length == 0 || (!c.empty() && c != "." && c != ".." && !NamesDevice(c)));
      Require(c.empty() || !lastSingle || (c.back() != '.' && c.back() != ' '));
      if (i == length) return;
      begin = i + 1;
      continue;
    }
    const unsigned char b = static_cast<unsigned char>(name[i]);
    lastSingle = !(isLead && isLead(b) && i + 1 < length);
    if (!lastSingle) {
#ifdef DL_FUZZ_STRICT_LEAD_BYTES
      // Pending: the cleaner pairs a lead byte with any next byte, so "a\x81/b" stays one
      // component although the code page ends the character before the "/".
      const unsigned char t = static_cast<unsigned char>(name[i + 1]);
      Require(t >= 0x40 && t != 0x7F && t != 0xFF);
#endif
      ++i;
      continue;
    }
    Require(b >= 0x20 && b != 0x7F && std::strchr("<>\"|?*:", b) == nullptr);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const dl::LeadBytePredicate isLead = (data[0] & 1) ? GbkLead : nullptr;
  const size_t cap = data[1] < 200 ? dl::kPathCap : data[1] - 199u;
  const char* raw = reinterpret_cast<const char*>(data + 2);

  char base[dl::kPathCap];
  Require(dl::MakeExtractionBase(kFolders[(data[0] >> 1) & 3], isLead, base, sizeof base));

  // Exactly cap bytes, so a write past the capacity is a sanitizer report.
  std::string out(cap, 'x');
  bool isFolder = false;
  const dl::NameProblem problem =
      dl::CleanEntryName(raw, size - 2, isLead, &out[0], cap, &isFolder);
  if (problem != dl::NameProblem::kNone) {
    Require(out[0] == '\0');
    return 0;
  }
  CheckAccepted(out.data(), cap, isLead);
  const size_t folderPart = dl::FolderPartLength(out.data(), isLead);
  Require(folderPart == 0 || out[folderPart] == '\\');

  char target[dl::kPathCap];
  if (dl::ComposeTargetPath(base, out.data(), target, sizeof target)) {
    Require(dl::PathStaysInside(base, target, isFolder && out[0] == '\0', isLead));
  }
  // UTF-8 names: once the decoding entry point exists, the same raw bytes go through it here
  // and its result through CheckAccepted (with no lead-byte predicate) and the base check.
  return 0;
}
