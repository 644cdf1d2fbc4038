// Makes the test prefix trust an authority made at test time, as an administrator adds one to
// the machine's roots, so that the local TLS servers pass the platform's full certificate check.
//
//   trust_ca.exe CA.pem
//
// Adding one that is there changes nothing. Exit codes: 0 trusted, 2 bad arguments, 3 no PEM
// certificate could be read, 4 the store refused it.
#include <windows.h>
#include <wincrypt.h>

#include <fstream>
#include <iterator>
#include <string>

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  std::ifstream in(argv[1], std::ios::binary);
  const std::string pem((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  BYTE der[16384];
  DWORD size = sizeof der;
  if (!CryptStringToBinaryA(pem.c_str(), static_cast<DWORD>(pem.size()), CRYPT_STRING_BASE64HEADER,
                            der, &size, nullptr, nullptr)) {
    return 3;
  }
  return CertAddEncodedCertificateToSystemStoreA("Root", der, size) ? 0 : 4;
}
