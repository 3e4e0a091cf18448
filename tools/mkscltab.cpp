// mkscltab: builds the SCL directory "SCLDATA" from the Bundesbank's SCL
// directory CSV (ISO-8859-1, ";" between the fields).
//
//   mkscltab INPUT.csv OUTPUT.bin
//
// Reads the official form (a "Gueltig ab" line, BIC and name padded with
// blanks, an SCC column after B2B) and the plain form (no validity line,
// nothing padded). One 128-byte record per BIC, sorted by BIC in byte order;
// 8-character BICs are stored with "XXX". A malformed line stops the run with
// a message naming the line; no table is written then.

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "GenCommon.h"

namespace {

using zelgen::LineError;
using zelgen::TrimRight;

constexpr std::size_t kRecordSize = 128;
constexpr std::size_t kNameSize = 105;

struct Entry {
  std::array<char, kRecordSize> rec{};
  std::size_t lineNo;
  bool extended = false;  // an 8-character BIC, stored with "XXX"
  std::string_view Bic() const { return {rec.data() + 1, 11}; }
};

std::vector<std::string_view> Split(std::string_view line) {
  std::vector<std::string_view> f;
  for (std::size_t pos = 0;;) {
    const std::size_t semi = line.find(';', pos);
    f.push_back(line.substr(pos, semi == std::string_view::npos ? semi : semi - pos));
    if (semi == std::string_view::npos) return f;
    pos = semi + 1;
  }
}

char Flag(std::string_view field, const char* what) {
  field = TrimRight(field);
  if (field != "0" && field != "1")
    throw LineError(std::string(what) + " must be 0 or 1, found '" + std::string(field) + "'");
  return static_cast<char>(field[0] - '0');
}

Entry ParseLine(std::string_view line, std::size_t lineNo) {
  const std::vector<std::string_view> f = Split(line);
  if (f.size() != 6 && f.size() != 7)
    throw LineError("expected 6 or 7 fields, found " + std::to_string(f.size()));
  std::string bic(TrimRight(f[0]));
  const bool extended = bic.size() == 8;
  if (extended) bic += "XXX";
  if (bic.size() != 11) throw LineError("BIC '" + bic + "' has neither 8 nor 11 characters");
  for (char c : bic)
    if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
      throw LineError("BIC '" + bic + "' holds a character other than A-Z and 0-9");
  const std::string_view name = TrimRight(f[1]);
  if (name.size() > kNameSize)
    throw LineError("name longer than " + std::to_string(kNameSize) + " characters");
  Entry e;
  e.lineNo = lineNo;
  e.extended = extended;
  e.rec[0] = 11;
  std::memcpy(e.rec.data() + 1, bic.data(), 11);
  e.rec[12] = static_cast<char>(name.size());
  std::memcpy(e.rec.data() + 13, name.data(), name.size());
  // The record keeps SCT, SDD, B2B, COR1; the file has SCT, SDD, COR1, B2B.
  e.rec[118] = Flag(f[2], "SCT");
  e.rec[119] = Flag(f[3], "SDD");
  e.rec[121] = Flag(f[4], "COR1");
  e.rec[120] = Flag(f[5], "B2B");
  if (f.size() == 7) Flag(f[6], "SCC");
  return e;
}

std::string Table(const std::string& path) {
  std::vector<Entry> entries;
  zelgen::ForEachLine(path, [&](const std::string& line, std::size_t lineNo) {
    if (line.rfind("Gueltig ab", 0) == 0 || line.rfind("G\xfcltig ab", 0) == 0) return;
    if (line.rfind("BIC;", 0) == 0) return;  // the header
    entries.push_back(ParseLine(line, lineNo));
  });
  if (entries.empty()) throw std::runtime_error(path + ": no BICs");
  std::stable_sort(entries.begin(), entries.end(),
                   [](const Entry& a, const Entry& b) { return a.Bic() < b.Bic(); });
  // The official file may list an institution both as BIC8 and as its
  // "XXX" BIC11: the entry written with eleven characters is kept. Any
  // other repetition is an error.
  std::string bytes;
  for (std::size_t i = 0; i < entries.size();) {
    std::size_t end = i + 1;
    while (end < entries.size() && entries[end].Bic() == entries[i].Bic()) ++end;
    const bool pair = end - i == 2 && entries[i].extended != entries[i + 1].extended;
    if (end - i > 1 && !pair)
      throw std::runtime_error(path + ":" + std::to_string(entries[i + 1].lineNo) + ": BIC " +
                               std::string(entries[i].Bic()) + " listed again (first at line " +
                               std::to_string(entries[i].lineNo) + ")");
    const Entry& keep = pair && entries[i].extended ? entries[i + 1] : entries[i];
    bytes.append(keep.rec.data(), kRecordSize);
    i = end;
  }
  return bytes;
}

}  // namespace

int main(int argc, char** argv) { return zelgen::Main(argc, argv, "mkscltab", Table); }
