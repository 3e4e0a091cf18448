#include "BatchInput.h"

#include <algorithm>
#include <cstring>
#include <fstream>

namespace zelcli {
namespace {

// The first two fields of a batch line, split at blanks, tabs, ";" and ","
// (and a CR of a CR LF line); false unless there are exactly two.
bool TwoFields(std::string_view line, std::string_view& a, std::string_view& b) {
  auto sep = [](char ch) {
    return ch == ' ' || ch == '\t' || ch == ';' || ch == ',' || ch == '\r';
  };
  std::string_view f[3];
  int n = 0;
  for (std::size_t i = 0; i < line.size();) {
    if (sep(line[i])) {
      ++i;
      continue;
    }
    std::size_t j = i;
    while (j < line.size() && !sep(line[j])) ++j;
    if (n == 3) return false;
    f[n++] = line.substr(i, j - i);
    i = j;
  }
  a = f[0];
  b = f[1];
  return n == 2;
}

bool IsBlank(std::string_view line) {
  return std::all_of(line.begin(), line.end(), [](char ch) {
    return ch == ' ' || ch == '\t' || ch == ';' || ch == ',' || ch == '\r';
  });
}

}  // namespace

// Runs `each` for every line "BLZ ACCOUNT" of the input, streaming; a
// malformed or over-long line gets an error line of its own and the run
// goes on.
int Batch(Context& c, std::istream& in, const BatchLine& each) {
  LineReader reader(in);
  OutBuffer out(c.out);
  std::string_view line, blz, account;
  std::string blzText, accountText;
  bool tooLong = false;
  for (long lineNo = 1; reader.Next(line, tooLong); ++lineNo) {
    if (!tooLong && TwoFields(line, blz, account)) {
      blzText.assign(blz);
      accountText.assign(account);
      each(blzText, accountText, out);
      continue;
    }
    if (!tooLong && IsBlank(line)) continue;
    const std::string why =
        "Zeile " + std::to_string(lineNo) +
        (tooLong ? ": die Zeile ist länger als " + std::to_string(LineReader::kMaxLine) + " Zeichen"
                 : ": erwartet werden Bankleitzahl und Kontonummer");
    if (c.json)
      out << JsonObject().Number("line", lineNo).Raw("error", JsonString(why)).Str() << '\n';
    else
      out << ";;;" << why << '\n';
  }
  out.Flush();
  c.out.flush();
  return kAccepted;
}

// The input of a batch command: "-" for standard input, or --file.
int WithBatchInput(Context& c, const std::function<int(std::istream&)>& run) {
  if (!c.args.Has("--file")) return run(c.in);
  std::ifstream f(c.args.Get("--file"));
  if (!f) {
    c.err << "Die Datei " << c.args.Get("--file") << " kann nicht gelesen werden.\n";
    return kUsage;
  }
  return run(f);
}

bool IsBatch(const Context& c) {
  return c.args.Has("--file") || (c.args.words.size() == 1 && c.args.words[0] == "-");
}

}  // namespace zelcli
