// mkbanktab: builds the bank table "BANKDATA" from a Bundesbank bank code
// file (fixed width, 174 characters a line, ISO-8859-1).
//
//   mkbanktab INPUT.txt OUTPUT.bin
//
// Takes the main-office lines (feature digit 1), one 182-byte record per bank
// code, sorted ascending. A malformed line stops the run with a message that
// names the line; no table is written then.

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "BankRecord.h"
#include "GenCommon.h"

namespace {

using zelgen::LineError;
using zelgen::TrimRight;

constexpr std::size_t kLineLength = 174;

std::string_view Col(std::string_view line, std::size_t first, std::size_t last) {
  return line.substr(first - 1, last - first + 1);
}

std::uint32_t Digits(std::string_view field, const char* what) {
  std::uint32_t v = 0;
  for (char c : field) {
    if (c < '0' || c > '9')
      throw LineError(std::string(what) + " is not numeric: '" + std::string(field) + "'");
    v = v * 10 + static_cast<std::uint32_t>(c - '0');
  }
  return v;
}

char OneOf(std::string_view field, std::string_view allowed, const char* what) {
  if (allowed.find(field[0]) == std::string_view::npos)
    throw LineError(std::string(what) + " must be one of " + std::string(allowed) + ", found '" +
                    std::string(field) + "'");
  return field[0];
}

struct Parsed {
  bool mainOffice = false;
  zel::TBankRecord rec{};
};

Parsed ParseLine(std::string_view line) {
  if (line.size() != kLineLength)
    throw LineError("expected " + std::to_string(kLineLength) + " characters, found " +
                    std::to_string(line.size()));
  Parsed p;
  zel::TBankRecord& r = p.rec;
  r.Blz = Digits(Col(line, 1, 8), "bank code");
  if (r.Blz < 10000000 || r.Blz > 89999999) throw LineError("bank code out of range");
  p.mainOffice = OneOf(Col(line, 9, 9), "12", "feature digit") == '1';
  r.Name58.Assign(TrimRight(Col(line, 10, 67)));
  r.Plz = Digits(Col(line, 68, 72), "postcode");
  r.Ort.Assign(TrimRight(Col(line, 73, 107)));
  const std::string_view shortName = TrimRight(Col(line, 108, 134));
  r.Name27.Assign(shortName);
  r.Name20.Assign(TrimRight(shortName.substr(0, std::min<std::size_t>(20, shortName.size()))));
  const std::string_view pan = Col(line, 135, 139);
  r.Pan = pan == "     " ? 0 : Digits(pan, "PAN");
  const std::string_view bic = TrimRight(Col(line, 140, 150));
  for (char c : bic)
    if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
      throw LineError("BIC contains '" + std::string(1, c) + "'");
  r.Bic.Assign(bic);
  const int method = zel::MethodNumber(Col(line, 151, 152));
  if (method < 0 || method > 255)
    throw LineError("check method code '" + std::string(Col(line, 151, 152)) + "' is malformed");
  r.Rule = static_cast<std::uint8_t>(method);
  r.RecordNo = Digits(Col(line, 153, 158), "record number");
  r.ChangeFlag = OneOf(Col(line, 159, 159), "ADMU", "change code");
  r.DeletionFlag = OneOf(Col(line, 160, 160), "01", "deletion flag") == '1' ? 1 : 0;
  r.SuccessorBlz = Digits(Col(line, 161, 168), "successor bank code");
  r.IbanRule = static_cast<std::uint16_t>(Digits(Col(line, 169, 172), "IBAN rule"));
  r.IbanRuleVersion = static_cast<std::uint8_t>(Digits(Col(line, 173, 174), "IBAN rule version"));
  return p;
}

struct Entry {
  zel::TBankRecord rec;
  std::size_t lineNo;
};

std::vector<Entry> ReadFile(const std::string& path) {
  std::vector<Entry> entries;
  zelgen::ForEachLine(path, [&](const std::string& line, std::size_t lineNo) {
    Parsed p = ParseLine(line);
    if (p.mainOffice) entries.push_back({p.rec, lineNo});
  });
  if (entries.empty()) throw std::runtime_error(path + ": no main-office records");
  std::stable_sort(entries.begin(), entries.end(),
                   [](const Entry& a, const Entry& b) { return a.rec.Blz < b.rec.Blz; });
  for (std::size_t i = 1; i < entries.size(); ++i)
    if (entries[i].rec.Blz == entries[i - 1].rec.Blz)
      throw std::runtime_error(path + ":" + std::to_string(entries[i].lineNo) + ": bank code " +
                               std::to_string(entries[i].rec.Blz) +
                               " has a second main-office line (first at line " +
                               std::to_string(entries[i - 1].lineNo) + ")");
  return entries;
}

std::string Table(const std::string& path) {
  std::string bytes;
  for (const Entry& e : ReadFile(path))
    bytes.append(reinterpret_cast<const char*>(&e.rec), sizeof e.rec);
  return bytes;
}

}  // namespace

int main(int argc, char** argv) { return zelgen::Main(argc, argv, "mkbanktab", Table); }
