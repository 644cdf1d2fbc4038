// PackageVerifier under wine with the platform's CNG, on a key pair, a package and signatures
// that the site's tools and openssl made for this run (verify_test.sh).
#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/win_handles.h"
#include "tests/support/win_test_util.h"
#include "trust/ecdsa_signature.h"
#include "trust/file_digest.h"
#include "trust/package_verifier.h"
#include "trust/public_key_pem.h"

namespace dl {
namespace {

constexpr size_t kBlock = 64 * 1024;

std::wstring Files(const wchar_t* name) {
  const char* folder = std::getenv("DL_TRUST_FILES");
  const std::string text = folder != nullptr ? folder : "";
  return std::wstring(text.begin(), text.end()) + L"\\" + name;
}
std::string Read(const wchar_t* name) { return dltest::ReadWholeFile(Files(name)); }
const uint8_t* Data(const std::string& bytes) {
  return reinterpret_cast<const uint8_t*>(bytes.data());
}

std::string Hex(const std::array<uint8_t, 32>& bytes) {
  std::string hex;
  char two[3];
  for (uint8_t b : bytes) hex += (std::snprintf(two, sizeof two, "%02x", b), two);
  return hex;
}

class Verifier : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::getenv("DL_TRUST_FILES") == nullptr) GTEST_SKIP() << "run through verify_test.sh";
    const std::string pem = Read(L"site.pub.pem");
    ASSERT_EQ(ReadP256PublicKeyPem(pem.data(), pem.size(), &key_), KeyFileProblem::kNone);
    package_ = Read(L"package.zip");
    signature_ = Read(L"package.zip.sig");
    ASSERT_GT(package_.size(), 3 * kBlock);
    ASSERT_FALSE(signature_.empty());
  }

  // The download's way: a fresh digest fed in blocks as they arrive, then the check.
  static PackageVerdict Check(PackageVerifier& verifier, const std::string& package,
                              const std::string& signature, size_t block = kBlock) {
    EXPECT_TRUE(verifier.Restart());
    for (size_t at = 0; at < package.size(); at += block)
      EXPECT_TRUE(verifier.Feed(package.data() + at, std::min(block, package.size() - at)));
    return verifier.Verify(Data(signature), signature.size());
  }

  P256Point key_;
  std::string package_;
  std::string signature_;
};

TEST_F(Verifier, TheSitesSignatureOverTheVeryBytesIsGood) {
  PackageVerifier verifier(key_);
  ASSERT_TRUE(FeedWholeFile(Files(L"package.zip").c_str(), &verifier));
  EXPECT_EQ(verifier.Verify(Data(signature_), signature_.size()), PackageVerdict::kGood);
  EXPECT_EQ(Hex(verifier.digest()), Read(L"package.sha256").substr(0, 64));
  // However the bytes arrive.
  EXPECT_EQ(Check(verifier, package_, signature_, 7777), PackageVerdict::kGood);
  EXPECT_EQ(Check(verifier, package_, signature_, package_.size()), PackageVerdict::kGood);
  EXPECT_EQ(verifier.lastStatus(), kCngSuccess);
}

TEST_F(Verifier, AlteredPackagesAndForeignOrBrokenSignaturesAreRefused) {
  std::string lastByteFlipped = signature_;
  lastByteFlipped.back() ^= 0x01;  // still a well-formed signature
  std::string padded = signature_;
  padded.resize(kP256DerSignatureMax + 1, '\0');
  const struct {
    const char* what;
    std::string package, signature;
    PackageVerdict verdict;
  } cases[] = {
      {"package altered after signing", Read(L"altered.zip"), signature_,
       PackageVerdict::kBadSignature},
      {"another key's signature", package_, Read(L"other.sig"), PackageVerdict::kBadSignature},
      {"signature changed", package_, lastByteFlipped, PackageVerdict::kBadSignature},
      {"package cut", package_.substr(0, package_.size() - 1), signature_,
       PackageVerdict::kBadSignature},
      {"empty .sig", package_, "", PackageVerdict::kMalformedSignature},
      {"a byte after the signature", package_, signature_ + 'x',
       PackageVerdict::kMalformedSignature},
      {".sig longer than any signature", package_, padded, PackageVerdict::kMalformedSignature},
      {"an error page as .sig", package_, "<html><body>Not Found</body></html>",
       PackageVerdict::kMalformedSignature},
  };
  PackageVerifier verifier(key_);  // one object for every check, as for retried downloads
  for (const auto& c : cases)
    EXPECT_EQ(Check(verifier, c.package, c.signature), c.verdict) << c.what;
  EXPECT_EQ(Check(verifier, package_, signature_), PackageVerdict::kGood);
}

TEST_F(Verifier, AResumedDownloadDigestsItsKeptPartAgainToTheSameVerdict) {
  UniqueFile file(CreateFileW(Files(L"package.zip").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(file);
  PackageVerifier verifier(key_);
  std::string block(kBlock, '\0');
  for (const size_t kept : {size_t{0}, size_t{1}, kBlock, kBlock + 12345, package_.size()}) {
    // The attempt that broke off fed bytes of its own before.
    ASSERT_TRUE(verifier.Restart());
    ASSERT_TRUE(verifier.Feed("lost attempt", 12));
    ASSERT_TRUE(verifier.Restart());
    ASSERT_TRUE(FeedFilePrefix(file.Get(), kept, &verifier)) << kept;
    // The rest arrives from where the kept part ends: the file's position after the prefix.
    DWORD got = 0;
    size_t rest = 0;
    while (ReadFile(file.Get(), &block[0], kBlock, &got, nullptr) && got > 0) {
      ASSERT_TRUE(verifier.Feed(block.data(), got));
      rest += got;
    }
    EXPECT_EQ(kept + rest, package_.size());
    EXPECT_EQ(verifier.Verify(Data(signature_), signature_.size()), PackageVerdict::kGood) << kept;
  }
  ASSERT_TRUE(verifier.Restart());
  EXPECT_FALSE(FeedFilePrefix(file.Get(), package_.size() + 1, &verifier));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_HANDLE_EOF));
  EXPECT_FALSE(FeedWholeFile(Files(L"missing.zip").c_str(), &verifier));
}

TEST_F(Verifier, NoDigestOrAKeyThePlatformRefusesIsNeverGood) {
  PackageVerifier verifier(key_);
  EXPECT_FALSE(verifier.Feed("x", 1));
  EXPECT_EQ(verifier.Verify(Data(signature_), signature_.size()), PackageVerdict::kCngFailure);
  EXPECT_EQ(Check(verifier, package_, signature_), PackageVerdict::kGood);
  // A digest ends with its check; a second check needs a new one.
  EXPECT_EQ(verifier.Verify(Data(signature_), signature_.size()), PackageVerdict::kCngFailure);

  // The platform may refuse a point off the curve on import; wine 8 takes it, and then no
  // signature verifies. Either way nothing passes.
  P256Point offCurve = key_;
  offCurve[63] ^= 0x01;
  PackageVerifier refused(offCurve);
  const PackageVerdict verdict = Check(refused, package_, signature_);
  EXPECT_TRUE(verdict == PackageVerdict::kKeyRejected || verdict == PackageVerdict::kBadSignature)
      << static_cast<int>(verdict);
}

}  // namespace
}  // namespace dl
