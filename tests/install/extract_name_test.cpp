// Entry names from hostile or careless archives, how their bytes are decoded, and the paths
// built from them.
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "install/entry_name.h"

namespace {

using dl::NameProblem;

// Like the Chinese code page: a lead byte whose second byte may be 0x5C, the backslash.
bool GbkLead(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

// "<problem> <name>" plus " folder" for a folder entry, the name in UTF-8 for readable failures.
std::string Utf8(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) {
    const uint32_t u = static_cast<uint32_t>(c);
    if (u < 0x80) {
      out += static_cast<char>(u);
    } else if (u < 0x800) {
      out += static_cast<char>(0xC0 | u >> 6), out += static_cast<char>(0x80 | (u & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | u >> 12), out += static_cast<char>(0x80 | (u >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (u & 0x3F));
    }
  }
  return out;
}
std::string Clean(const std::wstring& raw, size_t cap = 260) {
  wchar_t out[400] = L"untouched";
  bool isFolder = false;
  const NameProblem problem = dl::CleanEntryName(raw.data(), raw.size(), out, cap, &isFolder);
  return std::to_string(static_cast<int>(problem)) + " " + Utf8(out) + (isFolder ? " folder" : "");
}
std::string Fine(const std::string& name) { return "0 " + name; }
std::string Refused(NameProblem problem) { return std::to_string(static_cast<int>(problem)) + " "; }

TEST(EntryNameClean, NamesThatClimbOrAreAbsoluteLandInsideTheBase) {
  EXPECT_EQ(Clean(L"//?/C:/x/y"), Fine("x\\y"));
  EXPECT_EQ(Clean(L"/\\C:D:x"), Fine("x"));
  EXPECT_EQ(Clean(L"x/y/../z"), Fine("z"));
  EXPECT_EQ(Clean(L"a/./b//c"), Fine("a\\b\\c"));
  EXPECT_EQ(Clean(L"..foo/..bar"), Fine("..foo\\..bar"));
  EXPECT_EQ(Clean(L"//x.txt"), Fine("x.txt"));
  // Full-width dots are letters to the file system, not a parent folder.
  EXPECT_EQ(Clean(L"\uFF0E\uFF0E/x"), Fine("\xEF\xBC\x8E\xEF\xBC\x8E\\x"));
  // Folder entries may name the base itself; a file may not.
  EXPECT_EQ(Clean(L"data/"), Fine("data folder"));
  EXPECT_EQ(Clean(L"a/../"), Fine(" folder"));
  EXPECT_EQ(Clean(L"a/.."), Refused(NameProblem::kEmpty));
  EXPECT_EQ(Clean(L"C:"), Refused(NameProblem::kEmpty));
}

TEST(EntryNameClean, NamesTheFileSystemWouldReadOtherwiseAreRefused) {
  const struct {
    NameProblem problem;
    std::vector<std::wstring> raws;
  } kCases[] = {
      {NameProblem::kStream, {L"stream.txt:evil", L"a/b:c/d.txt"}},
      {NameProblem::kDevice,
       {L"CON", L"sub/nul.txt", L"Com1/x", L"LPT9.log", L"aux .txt", L"CONOUT$", L"COM\u00B9",
        L"lpt\u00B3.txt", L"COM\u00B2 .x"}},
      {NameProblem::kBadCharacter,
       {L"ctl\x01.txt", L"del\x7f", L"pipe|x.txt", L"what?.txt", std::wstring(L"a\0b", 3)}},
      {NameProblem::kTrailingDotOrSpace, {L"...", L"a /b", L"file."}},
      {NameProblem::kTooLong, {std::wstring(260, L'a')}},
  };
  for (const auto& c : kCases)
    for (const std::wstring& raw : c.raws) EXPECT_EQ(Clean(raw), Refused(c.problem)) << Utf8(raw);
  for (const wchar_t* raw : {L"COM10", L"console.txt", L"nul_x", L"LPT0", L"COM", L"COM\u2074"})
    EXPECT_EQ(Clean(raw), Fine(Utf8(raw))) << Utf8(raw);
  EXPECT_EQ(Clean(L"abc/def", 8), Fine("abc\\def"));  // the bound is the caller's buffer
  EXPECT_EQ(Clean(L"abc/defg", 8), Refused(NameProblem::kTooLong));
}

TEST(EntryNameBytes, Utf8IsStrictAndDoubleByteNamesMayNotHideSeparators) {
  wchar_t out[16];
  ASSERT_TRUE(dl::DecodeUtf8("\xE4\xB8\x96\xE7\x95\x8C/a", 8, out, 16));
  EXPECT_EQ(std::wstring(out), L"\u4E16\u754C/a");
  ASSERT_TRUE(dl::DecodeUtf8("\xF0\x9F\x8E\xAE", 4, out, 16));  // outside the basic plane
  EXPECT_TRUE(out[0] == 0xD83C && out[1] == 0xDFAE && out[2] == L'\0');
  // Overlong dots and separators, lone surrogates, stray and cut sequences: no guess.
  for (const std::string bad : {"\xC0\xAE\xC0\xAE/x", "\xE0\x80\xAF", "\xED\xA0\x80", "\x80",
                                "\xE4\xB8", "\xF4\x90\x80\x80", "\xFF"}) {
    EXPECT_FALSE(dl::DecodeUtf8(bad.data(), bad.size(), out, 16)) << bad;
    EXPECT_EQ(out[0], L'\0');
  }
  EXPECT_FALSE(dl::DecodeUtf8("abcd", 4, out, 4)) << "no room for the terminator";

  EXPECT_TRUE(dl::AnsiNameWellFormed("\x95\x5C/x.txt", 7, GbkLead));  // 0x5C is a trail byte
  EXPECT_TRUE(dl::AnsiNameWellFormed("a\x81/b", 4, nullptr));         // single-byte code page
  for (const std::string bad : {"a\x81/b", "x\x81.txt", "\x81", "\x81\x7F", "\x81\x1F"})
    EXPECT_FALSE(dl::AnsiNameWellFormed(bad.data(), bad.size(), GbkLead)) << bad;
}

TEST(EntryNameBytes, UnicodePathFieldCountsOnlyWhenItsCrcMatchesTheRawName) {
  // A time field first, then the Unicode path field: version 1, CRC 0x11223344, "世".
  const unsigned char extra[] = {0x55, 0x54, 0x01, 0x00, 0x00, 0x75, 0x70, 0x08, 0x00,
                                 0x01, 0x44, 0x33, 0x22, 0x11, 0xE4, 0xB8, 0x96};
  const char* name = nullptr;
  size_t length = 0;
  ASSERT_TRUE(dl::FindUnicodePath(extra, sizeof extra, 0x11223344, &name, &length));
  EXPECT_EQ(std::string(name, length), "\xE4\xB8\x96");
  EXPECT_FALSE(dl::FindUnicodePath(extra, sizeof extra, 0x11223345, &name, &length)) << "stale";
  EXPECT_FALSE(dl::FindUnicodePath(extra, sizeof extra - 1, 0x11223344, &name, &length))
      << "a field that runs past the block";
}

TEST(EntryNamePaths, ContainmentIsCheckedComponentByComponent) {
  const struct {
    const wchar_t* base;
    const wchar_t* path;
    bool inside;
  } kCases[] = {
      {L"C:\\b\\", L"c:\\B\\x\\y", true},        {L"C:\\b\\", L"C:\\bx\\y", false},
      {L"C:\\b\\", L"C:\\b\\..\\x", false},      {L"C:\\b\\", L"C:\\b\\.\\x\\..\\..\\y", false},
      {L"C:\\b\\", L"C:\\b\\x\\..\\y", true},    {L"C:\\b\\", L"C:\\b\\", false},
      {L"C:\\a\\..\\b\\", L"C:\\b\\x", true},    {L"C:\\b\\", L"D:\\b\\x", false},
      {L"C:\\\u00E9\\", L"C:\\\u00C9\\x", false}};  // case folding is ASCII only
  for (const auto& c : kCases)
    EXPECT_EQ(dl::PathStaysInside(c.base, c.path, false), c.inside) << Utf8(c.path);
  wchar_t out[dl::kPathCap];
  ASSERT_TRUE(dl::MakeExtractionBase(L"C:\\\u6E38", out, dl::kPathCap));
  EXPECT_EQ(std::wstring(out), L"C:\\\u6E38\\");
  EXPECT_FALSE(
      dl::MakeExtractionBase(std::wstring(dl::kPathCap - 1, L'd').c_str(), out, dl::kPathCap));
  // Long paths go to the platform in the form that lifts its classic limit.
  wchar_t sys[dl::kSystemPathCap];
  EXPECT_EQ(dl::ForSystem(L"C:\\short", sys), std::wstring(L"C:\\short"));
  const std::wstring deep = L"C:\\b\\" + std::wstring(300, L'x') + L"/y";
  EXPECT_EQ(std::wstring(dl::ForSystem(deep.c_str(), sys)),
            L"\\\\?\\C:\\b\\" + std::wstring(300, L'x') + L"\\y");
  const std::wstring share = L"\\\\srv\\s\\" + std::wstring(300, L'x');
  EXPECT_EQ(std::wstring(dl::ForSystem(share.c_str(), sys)),
            L"\\\\?\\UNC\\srv\\s\\" + std::wstring(300, L'x'));
}

}  // namespace
