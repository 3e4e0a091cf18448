// Reads a Bundesbank bank code file for tests: the main-office lines, as
// text, without the line ends.
#pragma once

#include <fstream>
#include <string>
#include <vector>

namespace zeltest {

inline std::vector<std::string> ReadLines(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

inline std::vector<std::string> MainOfficeLines(const std::string& path) {
  std::vector<std::string> out;
  for (std::string& line : ReadLines(path))
    if (line.size() > 8 && line[8] == '1') out.push_back(std::move(line));
  return out;
}

inline std::string Field(const std::string& line, std::size_t first, std::size_t last) {
  std::string f = line.substr(first - 1, last - first + 1);
  while (!f.empty() && f.back() == ' ') f.pop_back();
  return f;
}

}  // namespace zeltest
