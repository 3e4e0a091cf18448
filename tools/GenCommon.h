// Shared pieces of the build-time table generators: reading a text file line
// by line with line numbers, refusing a malformed line, writing the table
// only when every line was good.
#pragma once

#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <stdexcept>
#include <string>
#include <string_view>

namespace zelgen {

// A malformed line; the reader adds file name and line number.
struct LineError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

inline std::string_view TrimRight(std::string_view s) {
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

// Calls `each` with every line (without its line end) and its number;
// blank lines and a DOS end-of-file byte are passed over.
inline void ForEachLine(const std::string& path,
                        const std::function<void(const std::string&, std::size_t)>& each) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error(path + ": cannot open");
  std::string line;
  std::size_t lineNo = 0;
  while (std::getline(in, line)) {
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line == "\x1a") continue;
    try {
      each(line, lineNo);
    } catch (const LineError& e) {
      throw std::runtime_error(path + ":" + std::to_string(lineNo) + ": " + e.what());
    }
  }
}

// Writes the bytes to OUT.tmp and renames it to OUT.
inline void WriteTable(const std::string& out, const std::string& bytes) {
  const std::string tmp = out + ".tmp";
  {
    std::ofstream os(tmp, std::ios::binary | std::ios::trunc);
    os.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!os.flush()) throw std::runtime_error(tmp + ": cannot write");
  }
  std::filesystem::rename(tmp, out);
}

// Runs a generator: usage check, then `build` (which returns the table's
// bytes); on any failure the message goes to stderr and no table remains.
inline int Main(int argc, char** argv, const char* name,
                const std::function<std::string(const std::string&)>& build) {
  if (argc != 3) {
    std::cerr << "usage: " << name << " INPUT OUTPUT\n";
    return 2;
  }
  try {
    WriteTable(argv[2], build(argv[1]));
  } catch (const std::exception& e) {
    std::error_code ignored;
    std::filesystem::remove(argv[2], ignored);
    std::cerr << name << ": " << e.what() << "\n";
    return 1;
  }
  return 0;
}

}  // namespace zelgen
