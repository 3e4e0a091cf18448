#include "BatchInput.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <fstream>
#include <future>
#include <sstream>
#include <thread>
#include <utility>

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

// One line of the input through the handler, or its error line.
void OneLine(bool json, long lineNo, std::string_view line, bool tooLong, const BatchLine& each,
             OutBuffer& out, std::string& blzText, std::string& accountText) {
  std::string_view blz, account;
  if (!tooLong && TwoFields(line, blz, account)) {
    blzText.assign(blz);
    accountText.assign(account);
    each(blzText, accountText, out);
    return;
  }
  if (!tooLong && IsBlank(line)) return;
  const std::string why =
      "Zeile " + std::to_string(lineNo) +
      (tooLong ? ": die Zeile ist länger als " + std::to_string(LineReader::kMaxLine) + " Zeichen"
               : ": erwartet werden Bankleitzahl und Kontonummer");
  if (json)
    out << JsonObject().Number("line", lineNo).Raw("error", JsonString(why)).Str() << '\n';
  else
    out << ";;;" << why << '\n';
}

constexpr long kSerialLines = 100000;  // smaller inputs stay on one core
constexpr std::size_t kBlockLines = 16384;

// A block of input lines on its way to a core; an over-long line is kept
// as its mark only.
struct Block {
  long firstLine = 0;
  std::string text;
  std::vector<std::pair<std::size_t, std::size_t>> lines;  // offset, length
  std::vector<bool> tooLong;
};

bool ReadBlock(LineReader& reader, long& lineNo, Block& b) {
  std::string_view line;
  bool tooLong = false;
  b.firstLine = lineNo + 1;
  while (b.lines.size() < kBlockLines && reader.Next(line, tooLong)) {
    ++lineNo;
    b.lines.emplace_back(b.text.size(), line.size());
    b.tooLong.push_back(tooLong);
    b.text.append(line);
  }
  return !b.lines.empty();
}

std::string RunBlock(bool json, const Block& b, const BatchLine& each) {
  std::ostringstream text;
  {
    OutBuffer out(text);
    std::string blz, account;
    for (std::size_t i = 0; i < b.lines.size(); ++i)
      OneLine(json, b.firstLine + static_cast<long>(i),
              std::string_view(b.text).substr(b.lines[i].first, b.lines[i].second), b.tooLong[i],
              each, out, blz, account);
  }
  return std::move(text).str();
}

// --jobs N, or every core.
int Jobs(const Context& c) {
  int jobs = static_cast<int>(std::thread::hardware_concurrency());
  if (c.args.Has("--jobs") && !ToInt(c.args.Get("--jobs"), jobs)) jobs = 1;
  return std::clamp(jobs, 1, 64);
}

}  // namespace

int Batch(Context& c, std::istream& in, const BatchLineFactory& make) {
  LineReader reader(in);
  const int jobs = Jobs(c);
  const BatchLine here = make();
  std::string_view line;
  std::string blz, account;
  bool tooLong = false;
  long lineNo = 0;
  {
    OutBuffer out(c.out);
    while ((jobs == 1 || lineNo < kSerialLines) && reader.Next(line, tooLong))
      OneLine(c.json, ++lineNo, line, tooLong, here, out, blz, account);
  }
  // Past the first lines: blocks on every core, answers in input order.
  std::deque<std::future<std::string>> underWay;
  for (Block b; ReadBlock(reader, lineNo, b); b = Block{}) {
    underWay.push_back(std::async(std::launch::async, [&c, &make, block = std::move(b)] {
      return RunBlock(c.json, block, make());
    }));
    while (underWay.size() >= static_cast<std::size_t>(jobs) + 1) {
      c.out << underWay.front().get();
      underWay.pop_front();
    }
  }
  for (; !underWay.empty(); underWay.pop_front()) c.out << underWay.front().get();
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
