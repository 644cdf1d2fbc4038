// The build's check of DL_PACKAGE_PUBLIC_KEY, compiled for the build machine
// (cmake/package_key.cmake): reads the key file with the program's own parser and prints its
// point as the initializer build_config.h carries, or says what is wrong and fails.
#include <cstdio>
#include <string>

#include "trust/public_key_pem.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: key_file_tool KEY.pem\n");
    return 2;
  }
  std::FILE* file = std::fopen(argv[1], "rb");
  if (file == nullptr) {
    std::fprintf(stderr, "cannot be read\n");
    return 1;
  }
  std::string text;
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, n);
  const bool readError = std::ferror(file) != 0;
  std::fclose(file);
  if (readError) {
    std::fprintf(stderr, "cannot be read\n");
    return 1;
  }

  dl::P256Point point;
  const dl::KeyFileProblem problem = dl::ReadP256PublicKeyPem(text.data(), text.size(), &point);
  if (problem != dl::KeyFileProblem::kNone) {
    std::fprintf(stderr, "%s\n", dl::DescribeKeyFileProblem(problem));
    return 1;
  }
  for (size_t i = 0; i < point.size(); ++i) std::printf("%s0x%02x", i ? "," : "", point[i]);
  std::printf("\n");
  return 0;
}
