// zelpack: packs a data file for the update server.
//
//   zelpack ZelObjects_2026_2.wbd [ZelObjects_2026_2.wbp]

#include <cstdio>
#include <string>

#include "Cp1252.h"
#include "PackedFile.h"

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: zelpack DATAFILE.wbd [PACKED.wbp]\n");
    return 2;
  }
  const std::string in = argv[1];
  std::string out = argc == 3 ? argv[2] : in;
  if (argc == 2) {
    const std::size_t dot = out.rfind('.');
    out = (dot == std::string::npos ? out : out.substr(0, dot)) + ".wbp";
  }
  std::string reason;
  if (!zel::PackDataFile(in, out, reason)) {
    std::fprintf(stderr, "zelpack: %s\n", zel::Cp1252ToUtf8(reason).c_str());
    return 1;
  }
  return 0;
}
