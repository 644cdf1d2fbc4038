// Entry names as a hostile archive may hold them. Input: mode byte (bit 0: flagged UTF-8, else
// a double-byte code page; bits 1-2: install folder), capacity byte, then the raw name.
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

const wchar_t* const kFolders[] = {L"C:\\Games\\Lobby", L"D:\\\u6e38\u620f\\",
                                   L"\\\\server\\share\\lobby", L"C:/Program Files/x/../y/"};

bool NamesDevice(std::wstring c) {
  c = c.substr(0, c.find(L'.'));
  while (!c.empty() && c.back() == L' ') c.pop_back();
  for (wchar_t& ch : c) ch = (ch >= L'a' && ch <= L'z') ? static_cast<wchar_t>(ch - 32) : ch;
  for (const wchar_t* d : {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"})
    if (c == d) return true;
  return c.size() == 4 && (c.compare(0, 3, L"COM") == 0 || c.compare(0, 3, L"LPT") == 0) &&
         ((c[3] >= L'1' && c[3] <= L'9') || c[3] == 0xB9 || c[3] == 0xB2 || c[3] == 0xB3);
}

// What the file system will see in an accepted name: components between separators, none of
// which may climb, name a drive, stream or device, or be renamed silently.
void CheckAccepted(const wchar_t* name, size_t cap) {
  const size_t length = wcsnlen(name, cap);
  Require(length < cap);
  size_t begin = 0;
  for (size_t i = 0;; ++i) {
    if (i == length || name[i] == L'\\' || name[i] == L'/') {
      Require(i == length || name[i] == L'\\');
      const std::wstring c(name + begin, i - begin);
      Require(length == 0 || (!c.empty() && c != L"." && c != L".." && !NamesDevice(c)));
      Require(c.empty() || (c.back() != L'.' && c.back() != L' '));
      if (i == length) return;
      begin = i + 1;
      continue;
    }
    const wchar_t b = name[i];
    Require(b >= 0x20 && b != 0x7F && (b >= 0x80 || std::strchr("<>\"|?*:", b) == nullptr));
  }
}

// A stand-in for the code page's decoder: a lead byte and its trail make one character that is
// never a separator; other bytes stand for themselves.
std::wstring DecodeDoubleByte(const char* raw, size_t length) {
  std::wstring out;
  for (size_t i = 0; i < length; ++i) {
    const unsigned char b = static_cast<unsigned char>(raw[i]);
    if (GbkLead(b) && i + 1 < length) {
      out +=
          static_cast<wchar_t>(0x4E00 + ((b << 8 | static_cast<unsigned char>(raw[++i])) & 0xFFF));
    } else {
      out += static_cast<wchar_t>(b);
    }
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const size_t cap = data[1] < 200 ? dl::kPathCap : data[1] - 199u;
  const char* raw = reinterpret_cast<const char*>(data + 2);
  const size_t rawLength = size - 2;

  wchar_t base[dl::kPathCap];
  Require(dl::MakeExtractionBase(kFolders[(data[0] >> 1) & 3], base, dl::kPathCap));

  std::wstring name;
  if (data[0] & 1) {
    std::wstring decoded(dl::kPathCap, L'x');
    if (!dl::DecodeUtf8(raw, rawLength, &decoded[0], decoded.size())) {
      Require(decoded[0] == L'\0');
      return 0;
    }
    name = decoded.c_str();
  } else {
    // A lead byte whose partner cannot be a trail byte would hide what follows it.
    if (!dl::AnsiNameWellFormed(raw, rawLength, GbkLead)) return 0;
    name = DecodeDoubleByte(raw, rawLength);
  }

  // Exactly cap code units, so a write past the capacity is a sanitizer report.
  std::wstring out(cap, L'x');
  bool isFolder = false;
  const dl::NameProblem problem =
      dl::CleanEntryName(name.data(), name.size(), &out[0], cap, &isFolder);
  if (problem != dl::NameProblem::kNone) {
    Require(out[0] == L'\0');
    return 0;
  }
  CheckAccepted(out.data(), cap);
  const size_t folderPart = dl::FolderPartLength(out.data());
  Require(folderPart == 0 || out[folderPart] == L'\\');

  wchar_t target[dl::kPathCap];
  if (dl::ComposeTargetPath(base, out.data(), target, dl::kPathCap)) {
    Require(dl::PathStaysInside(base, target, isFolder && out[0] == L'\0'));
    wchar_t system[dl::kSystemPathCap];
    const wchar_t* forSystem = dl::ForSystem(target, system);
    Require(forSystem == nullptr || wcslen(forSystem) < dl::kSystemPathCap);
  }
  return 0;
}
