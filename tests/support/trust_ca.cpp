// Makes the test prefix trust a certificate authority made at test time, the way an
// administrator adds one to the machine's roots, so the local TLS servers' certificates pass
// the platform's full check.
//
//   trust_ca.exe CA.pem
//
// Adding one that is already there changes nothing. Exit codes: 0 trusted, 2 bad arguments,
// 3 the file could not be read, 4 it holds no PEM certificate, 5 the store refused it.
#include <windows.h>
#include <wincrypt.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  std::ifstream in(argv[1], std::ios::binary);
  const std::string pem((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in.good() && !in.eof()) return 3;
  DWORD size = 0;
  if (pem.empty() ||
      !CryptStringToBinaryA(pem.c_str(), static_cast<DWORD>(pem.size()), CRYPT_STRING_BASE64HEADER,
                            nullptr, &size, nullptr, nullptr)) {
    return pem.empty() ? 3 : 4;
  }
  std::vector<BYTE> der(size);
  if (!CryptStringToBinaryA(pem.c_str(), static_cast<DWORD>(pem.size()), CRYPT_STRING_BASE64HEADER,
                            der.data(), &size, nullptr, nullptr)) {
    return 4;
  }
  return CertAddEncodedCertificateToSystemStoreA("Root", der.data(), size) ? 0 : 5;
}
