#include "Csv.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <stdexcept>

#include "AtomicFile.h"
#include "BlockWorkers.h"
#include "Cp1252.h"

namespace zel {
namespace {

constexpr std::size_t kBuffer = 65536;
// A record may span lines, but not without end.
constexpr std::size_t kMaxRecord = 1 << 20;

std::string Trimmed(const std::string& s) {
  std::size_t a = 0, b = s.size();
  while (a < b && static_cast<unsigned char>(s[a]) <= ' ') ++a;
  while (b > a && static_cast<unsigned char>(s[b - 1]) <= ' ') --b;
  return s.substr(a, b - a);
}

int Quotes(const std::string& s) {
  int n = 0;
  for (char c : s) n += c == '"';
  return n;
}

// A record as the report writes it: every field quoted.
std::string Joined(const std::vector<std::string>& fields, char separator) {
  std::string line;
  for (const std::string& f : fields) line += std::string(1, separator) + '"' + f + '"';
  return line.empty() ? line : line.substr(1);
}

// Everything from the first "." on dropped ("12345678.0").
std::string BeforeDot(std::string s) { return s.substr(0, s.find('.')); }

}  // namespace

TCSV::TCSV(const std::string& fileName, char separator)
    : fFile(std::fopen(fileName.c_str(), "rbe")), fBuffer(kBuffer), fSeparator(separator) {
  if (!fFile) throw std::runtime_error(std::strerror(errno));
  std::setvbuf(fFile, fBuffer.data(), _IOFBF, fBuffer.size());
  char bom[3] = {};
  fBom = std::fread(bom, 1, 3, fFile) == 3 && std::memcmp(bom, "\xEF\xBB\xBF", 3) == 0;
  if (fBom)
    fPosition = 3;
  else
    std::rewind(fFile);
  ReadNext();
}

bool TCSV::IsUtf8File(const std::string& fileName, bool& utf8) {
  std::FILE* f = std::fopen(fileName.c_str(), "rbe");
  if (!f) return false;
  std::vector<char> buffer(kBuffer);
  bool wide = false, wellFormed = true, first = true;
  int pending = 0;  // continuation bytes still due
  for (std::size_t n; wellFormed && (n = std::fread(buffer.data(), 1, buffer.size(), f)) > 0;) {
    std::size_t i = 0;
    if (first && n >= 3 && std::memcmp(buffer.data(), "\xEF\xBB\xBF", 3) == 0) {
      std::fclose(f);
      utf8 = true;
      return true;
    }
    first = false;
    for (; i < n && wellFormed; ++i) {
      const auto b = static_cast<unsigned char>(buffer[i]);
      if (pending > 0) {
        wellFormed = (b & 0xC0) == 0x80;
        --pending;
      } else if (b >= 0x80) {
        wide = true;
        pending = b >= 0xC2 && b < 0xE0   ? 1
                  : b >= 0xE0 && b < 0xF0 ? 2
                  : b >= 0xF0 && b < 0xF5 ? 3
                                          : -1;
        wellFormed = pending > 0;
      }
    }
  }
  std::fclose(f);
  utf8 = wide && wellFormed && pending == 0;
  return true;
}

TCSV::~TCSV() { std::fclose(fFile); }

bool TCSV::IsSeparator(char c) const {
  return fSeparator ? c == fSeparator : (c == '\t' || c == ',' || c == ';');
}

std::string TCSV::GetField(int index) const {
  return index >= 0 && index < FieldCount() ? fFields[static_cast<std::size_t>(index)] : "";
}

std::string TCSV::GetLine() const { return Joined(fFields, fOutputSeparator); }

bool TCSV::ReadLine(std::string& line) {
  line.clear();
  int c;
  while ((c = std::getc(fFile)) != EOF && c != '\n') {
    ++fPosition;
    if (line.size() < kMaxRecord) line += static_cast<char>(c);
  }
  if (c == '\n') ++fPosition;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return c != EOF || !line.empty();
}

void TCSV::ReadNext() {
  std::string text, more;
  if (!ReadLine(text)) {
    fEnd = true;
    return;
  }
  fFields.clear();
  while (Quotes(text) % 2 == 1 && text.size() < kMaxRecord && ReadLine(more)) text += " " + more;
  bool quoted = false;
  std::string field;
  for (char c : text) {
    if (c == '"') {
      quoted = !quoted;
    } else if (!quoted && IsSeparator(c)) {
      fOutputSeparator = c;
      fFields.push_back(Trimmed(field));
      field.clear();
    } else {
      field += c;
    }
  }
  if (!fFields.empty() || !field.empty()) fFields.push_back(Trimmed(field));
}

namespace {

constexpr std::size_t kBlockRecords = 16384;
constexpr std::size_t kAheadBlocks = 7;  // about 100,000 records decide

// Records on their way to a core, and what the report says of them.
struct CsvBlock {
  std::vector<std::vector<std::string>> records;
  std::vector<char> separators;
  std::string out;
  long checked = 0, errors = 0;
  bool done = false;
};

bool ReadBlock(TCSV& csv, CsvBlock& b, std::uint64_t& position) {
  b.records.clear();
  b.separators.clear();
  b.out.clear();
  b.checked = b.errors = 0;
  for (; !csv.AtEnd() && b.records.size() < kBlockRecords; csv.ReadNext()) {
    b.records.push_back(csv.Fields());
    b.separators.push_back(csv.OutputSeparator());
  }
  position = csv.Position();
  return !b.records.empty();
}

// The checks of a block; text makes the object's texts the report's encoding.
void CheckBlock(TProxyZelProbeObject& p, const TCsvBatch& job,
                const std::function<std::string(const std::string&)>& text, CsvBlock& b) {
  const auto field = [](const std::vector<std::string>& f, int i) {
    return i >= 0 && i < static_cast<int>(f.size()) ? f[static_cast<std::size_t>(i)] : "";
  };
  for (std::size_t i = 0; i < b.records.size(); ++i) {
    std::vector<std::string>& f = b.records[i];
    const std::string blz = BeforeDot(field(f, job.blzColumn - 1));
    const std::string kto = BeforeDot(field(f, job.ktoColumn - 1));
    if (blz.empty() || kto.empty() || blz == "0" || kto == "0") continue;
    const int code = p.TestBlzKto(blz, kto);
    ++b.checked;
    if (job.append) {
      const bool ok = code >= 0 && code <= 10;
      f.push_back(std::to_string(code));
      f.push_back(ok ? p.GetIban(blz, kto, false) : "");
      f.push_back(ok ? text(p.GetBic(blz)) : "");
      b.errors += !ok;
      b.out += Joined(f, b.separators[i]) + "\r\n";
    } else if (code != 0 && code != 3 && code != 4) {
      b.out +=
          "Zeile: " + Joined(f, b.separators[i]) + "\r\n" + text(p.GetErrorMessage(code)) + "\r\n";
      ++b.errors;
    }
  }
}

}  // namespace

TCsvBatchResult CsvBatchCheck(TProxyZelProbeObject& p, const TCsvBatch& job) {
  TCsvBatchResult r;
  std::unique_ptr<TCSV> csv;
  try {
    csv = std::make_unique<TCSV>(job.input, job.separator);
  } catch (const std::exception& e) {
    r.status = TCsvBatchResult::kNoInput;
    r.message = "Eingabedatei konnte nicht geöffnet werden: " + std::string(e.what());
    return r;
  }
  bool utf8 = false;
  TCSV::IsUtf8File(job.input, utf8);
  // The object's texts are Windows-1252: in a UTF-8 report they are UTF-8 too.
  const std::function<std::string(const std::string&)> text = [utf8](const std::string& cp1252) {
    return utf8 ? Cp1252ToUtf8(cp1252) : cp1252;
  };
  r.output = job.output.empty() ? PathWithExtension(job.input, ".out") : job.output;
  TAtomicFile out(r.output);
  std::string reason;
  if (!IsSafeOutputTarget(r.output, job.input, reason) || !out.Open(reason)) {
    r.status = TCsvBatchResult::kNoOutput;
    r.message = "Ausgabedatei " + r.output + " kann nicht angelegt werden!";
    return r;
  }
  if (csv->HadByteOrderMark()) out.Write("\xEF\xBB\xBF");
  // Blocks of records: the first ones are read ahead, and only a larger
  // input goes to every core; the report keeps the input's order.
  const int jobs = std::max(1, job.jobs);
  std::vector<CsvBlock> ring(
      std::max<std::size_t>(kAheadBlocks, 2 * static_cast<std::size_t>(jobs)));
  std::uint64_t position = 0;
  std::size_t read = 0;
  const auto cancelled = [&] { return job.progress && !job.progress(position); };
  const auto write = [&](CsvBlock& b) {
    out.Write(b.out);
    r.checked += b.checked;
    r.errors += b.errors;
  };
  while (read < kAheadBlocks && ReadBlock(*csv, ring[read], position)) {
    ++read;
    if (cancelled()) return r.status = TCsvBatchResult::kCancelled, r;
  }
  const bool many = read == kAheadBlocks && !csv->AtEnd();
  if (jobs == 1 || !many) {
    for (std::size_t i = 0; i < read; ++i) {
      CheckBlock(p, job, text, ring[i]);
      write(ring[i]);
    }
    for (CsvBlock& b = ring[0]; many && ReadBlock(*csv, b, position);) {
      if (cancelled()) return r.status = TCsvBatchResult::kCancelled, r;
      CheckBlock(p, job, text, b);
      write(b);
    }
  } else {
    TBlockWorkers<CsvBlock> workers(jobs, [&]() -> TBlockWorkers<CsvBlock>::THandler {
      return [&](CsvBlock& b) { CheckBlock(p, job, text, b); };
    });
    workers.RunInOrder(
        ring, read, [&](CsvBlock& b) { return !cancelled() && ReadBlock(*csv, b, position); },
        write);
    if (cancelled()) return r.status = TCsvBatchResult::kCancelled, r;
  }
  if (!out.Commit(reason)) {
    r.status = TCsvBatchResult::kNoOutput;
    r.message = "Ausgabedatei " + r.output + " kann nicht angelegt werden!";
  }
  return r;
}

}  // namespace zel
