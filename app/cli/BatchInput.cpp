#include "BatchInput.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <thread>
#include <utility>

#include "BlockWorkers.h"

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
             OutBuffer& out) {
  std::string_view blz, account;
  if (!tooLong && TwoFields(line, blz, account)) {
    each(blz, account, out);
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
constexpr std::size_t kBlockLines = 32768;

// A block of input lines on its way to a core and its answers; an over-long
// line is kept as its mark only. Blocks are reused, so their buffers keep
// their size.
struct Block {
  long firstLine = 0;
  std::string text, answers;
  std::vector<std::pair<std::size_t, std::size_t>> lines;  // offset, length
  std::vector<bool> tooLong;
  bool done = false;
};

bool ReadBlock(LineReader& reader, long& lineNo, Block& b) {
  std::string_view line;
  bool tooLong = false;
  b.text.clear();
  b.answers.clear();
  b.lines.clear();
  b.tooLong.clear();
  b.done = false;
  b.firstLine = lineNo + 1;
  while (b.lines.size() < kBlockLines && reader.Next(line, tooLong)) {
    ++lineNo;
    b.lines.emplace_back(b.text.size(), line.size());
    b.tooLong.push_back(tooLong);
    b.text.append(line);
  }
  return !b.lines.empty();
}

void RunBlock(bool json, Block& b, const BatchLine& each) {
  OutBuffer out(b.answers);
  for (std::size_t i = 0; i < b.lines.size(); ++i)
    OneLine(json, b.firstLine + static_cast<long>(i),
            std::string_view(b.text).substr(b.lines[i].first, b.lines[i].second), b.tooLong[i],
            each, out);
}

}  // namespace

int BatchJobs(const Context& c) {
  int jobs = static_cast<int>(std::thread::hardware_concurrency());
  if (c.args.Has("--jobs") && !ToInt(c.args.Get("--jobs"), jobs)) jobs = 1;
  return std::clamp(jobs, 1, 64);
}

int Batch(Context& c, std::istream& in, const BatchLineFactory& make) {
  LineReader reader(in);
  long lineNo = 0;
  // An input of up to about 100,000 lines is answered here, on one core.
  zel::RunBlocks<Block>(
      BatchJobs(c), (kSerialLines + kBlockLines - 1) / kBlockLines,
      [&](Block& b) { return ReadBlock(reader, lineNo, b); },
      [&]() -> zel::TBlockWorkers<Block>::THandler {
        return [json = c.json, each = make()](Block& b) { RunBlock(json, b, each); };
      },
      [&](Block& b) { c.out << b.answers; });
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
