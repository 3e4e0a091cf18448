#include "Csv.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
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

bool IsSeparator(char separator, char c) {
  return separator ? c == separator : (c == '\t' || c == ',' || c == ';');
}

// The fields of a record's text: quotes flip the state and are dropped, a
// separator outside them ends a field (and is the one the record is
// written back with), fields are trimmed.
void SplitFields(std::string_view text, char separator, std::vector<std::string>& fields,
                 char& outputSeparator) {
  fields.clear();
  bool quoted = false;
  std::string field;
  for (char c : text) {
    if (c == '"') {
      quoted = !quoted;
    } else if (!quoted && IsSeparator(separator, c)) {
      outputSeparator = c;
      fields.push_back(Trimmed(field));
      field.clear();
    } else {
      field += c;
    }
  }
  if (!fields.empty() || !field.empty()) fields.push_back(Trimmed(field));
}

// Every field in quotes, joined by the separator, appended to `line`.
void JoinFields(const std::vector<std::string>& fields, char separator, std::string& line) {
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) line += separator;
    line += '"';
    line += fields[i];
    line += '"';
  }
}

// Everything from the first "." on dropped ("12345678.0").
std::string BeforeDot(std::string s) { return s.substr(0, s.find('.')); }

}  // namespace

TCsvRecords::TCsvRecords(const std::string& fileName)
    : fFile(std::fopen(fileName.c_str(), "rbe")), fBuffer(kBuffer) {
  if (!fFile) throw std::runtime_error(std::strerror(errno));
  Fill();
  fBom = fEnd >= 3 && std::memcmp(fBuffer.data(), "\xEF\xBB\xBF", 3) == 0;
  if (fBom) fPos = 3, fPosition = 3;
}

TCsvRecords::~TCsvRecords() { std::fclose(fFile); }

// Moves the unread rest to the front and reads more; false when nothing came.
bool TCsvRecords::Fill() {
  std::memmove(fBuffer.data(), fBuffer.data() + fPos, fEnd - fPos);
  fEnd -= fPos;
  fPos = 0;
  const std::size_t n = std::fread(fBuffer.data() + fEnd, 1, fBuffer.size() - fEnd, fFile);
  fEnd += n;
  return n > 0;
}

// One line without its break (and without the CR of a CR LF), cut at the
// record limit; false at the end of the file.
bool TCsvRecords::AppendLine(std::string& text) {
  const std::size_t start = text.size();
  for (;;) {
    const char* from = fBuffer.data() + fPos;
    const auto* nl = static_cast<const char*>(std::memchr(from, '\n', fEnd - fPos));
    const std::size_t n = nl ? static_cast<std::size_t>(nl - from) : fEnd - fPos;
    text.append(from, std::min(n, kMaxRecord - std::min(kMaxRecord, text.size() - start)));
    fPos += n + (nl != nullptr);
    fPosition += n + (nl != nullptr);
    if (nl) break;
    if (!Fill()) {
      if (text.size() == start) return false;
      break;
    }
  }
  if (text.size() > start && text.back() == '\r') text.pop_back();
  return true;
}

bool TCsvRecords::AppendNext(std::string& text) {
  const std::size_t start = text.size();
  if (!AppendLine(text)) return false;
  long quotes = 0;
  for (std::size_t counted = start;;) {
    quotes += std::count(text.begin() + static_cast<std::ptrdiff_t>(counted), text.end(), '"');
    counted = text.size();
    if (quotes % 2 == 0 || text.size() - start >= kMaxRecord) break;
    text += ' ';  // a line break inside quotes
    if (!AppendLine(text)) {
      text.pop_back();
      break;
    }
  }
  return true;
}

TCSV::TCSV(const std::string& fileName, char separator)
    : fRecords(fileName), fSeparator(separator) {
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

TCSV::~TCSV() = default;

std::string TCSV::GetField(int index) const {
  return index >= 0 && index < FieldCount() ? fFields[static_cast<std::size_t>(index)] : "";
}

std::string TCSV::GetLine() const {
  std::string line;
  JoinFields(fFields, fOutputSeparator, line);
  return line;
}

void TCSV::ReadNext() {
  fText.clear();
  if (!fRecords.AppendNext(fText)) {
    fEnd = true;
    return;
  }
  SplitFields(fText, fSeparator, fFields, fOutputSeparator);
}

namespace {

// Records on their way to a core, and what they gave. Blocks are reused,
// so their buffers keep their size.
struct TCsvBlock {
  std::string text;               // the records' texts, one after another
  std::vector<std::size_t> ends;  // where each ends in text
  std::string answers;            // the output lines
  long checked = 0, errors = 0;
  bool done = false;
};

// About 100,000 records stay on one core; a block holds at most this many
// records or bytes, so memory stays flat whatever a record holds.
constexpr std::size_t kBlockRecords = 32768, kBlockBytes = 2 << 20, kSerialBlocks = 4;
constexpr long kProgressEvery = 4096;

// One core's share of the check: the records of a block in order.
class TCsvChecker {
 public:
  TCsvChecker(TProxyZelProbeObject& p, const TCsvBatch& job, bool utf8)
      : fProbe(p), fJob(job), fUtf8(utf8) {}

  void Run(TCsvBlock& b) {
    b.answers.clear();
    b.checked = b.errors = 0;
    std::size_t from = 0;
    for (std::size_t end : b.ends) {
      Record(std::string_view(b.text).substr(from, end - from), b);
      from = end;
    }
  }

 private:
  // The object's texts are Windows-1252: in a UTF-8 report they are UTF-8 too.
  std::string Text(const std::string& cp1252) const {
    return fUtf8 ? Cp1252ToUtf8(cp1252) : cp1252;
  }

  std::string Field(int column) const {
    const auto i = static_cast<std::size_t>(column - 1);
    return i < fFields.size() ? BeforeDot(fFields[i]) : std::string();
  }

  void Record(std::string_view text, TCsvBlock& b) {
    SplitFields(text, fJob.separator, fFields, fSeparator);
    const std::string blz = Field(fJob.blzColumn), kto = Field(fJob.ktoColumn);
    if (blz.empty() || kto.empty() || blz == "0" || kto == "0") return;
    const int code = fProbe.TestBlzKto(blz, kto);
    ++b.checked;
    if (fJob.append) {
      const bool ok = code >= 0 && code <= 10;
      fFields.push_back(std::to_string(code));
      fFields.push_back(ok ? fProbe.GetIban(blz, kto, false) : "");
      fFields.push_back(ok ? Text(fProbe.GetBic(blz)) : "");
      b.errors += !ok;
      JoinFields(fFields, fSeparator, b.answers);
      b.answers += "\r\n";
    } else if (code != 0 && code != 3 && code != 4) {
      b.answers += "Zeile: ";
      JoinFields(fFields, fSeparator, b.answers);
      b.answers += "\r\n" + Text(fProbe.GetErrorMessage(code)) + "\r\n";
      ++b.errors;
    }
  }

  TProxyZelProbeObject& fProbe;
  const TCsvBatch& fJob;
  const bool fUtf8;
  std::vector<std::string> fFields;
  char fSeparator = ',';  // the separator last met
};

}  // namespace

TCsvBatchResult CsvBatchCheck(TProxyZelProbeObject& p, const TCsvBatch& job) {
  TCsvBatchResult r;
  std::unique_ptr<TCsvRecords> records;
  try {
    records = std::make_unique<TCsvRecords>(job.input);
  } catch (const std::exception& e) {
    r.status = TCsvBatchResult::kNoInput;
    r.message = "Eingabedatei konnte nicht geöffnet werden: " + std::string(e.what());
    return r;
  }
  bool utf8 = false;
  TCSV::IsUtf8File(job.input, utf8);
  r.output = job.output.empty() ? PathWithExtension(job.input, ".out") : job.output;
  TAtomicFile out(r.output);
  std::string reason;
  if (!IsSafeOutputTarget(r.output, job.input, reason) || !out.Open(reason)) {
    r.status = TCsvBatchResult::kNoOutput;
    r.message = "Ausgabedatei " + r.output + " kann nicht angelegt werden!";
    return r;
  }
  if (records->HadByteOrderMark()) out.Write("\xEF\xBB\xBF");
  long read = 0;
  bool cancelled = false;
  const auto fill = [&](TCsvBlock& b) {
    b.text.clear();
    b.ends.clear();
    while (b.ends.size() < kBlockRecords && b.text.size() < kBlockBytes) {
      if (job.progress && read % kProgressEvery == 0 && !job.progress(records->Position()))
        cancelled = true;
      if (cancelled || !records->AppendNext(b.text)) break;
      b.ends.push_back(b.text.size());
      ++read;
    }
    return !cancelled && !b.ends.empty();
  };
  // With every separator allowed, a record is written back with the one
  // last met in the records before it: such a file stays on one core.
  RunBlocks<TCsvBlock>(
      job.separator ? job.jobs : 1, kSerialBlocks, fill,
      [&] {
        return [checker = std::make_shared<TCsvChecker>(p, job, utf8)](TCsvBlock& b) {
          checker->Run(b);
        };
      },
      [&](TCsvBlock& b) {
        out.Write(b.answers);
        r.checked += b.checked;
        r.errors += b.errors;
      });
  if (cancelled) {
    r.status = TCsvBatchResult::kCancelled;
    return r;  // the unfinished output goes with it
  }
  if (!out.Commit(reason)) {
    r.status = TCsvBatchResult::kNoOutput;
    r.message = "Ausgabedatei " + r.output + " kann nicht angelegt werden!";
  }
  return r;
}

}  // namespace zel
