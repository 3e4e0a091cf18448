#include "Csv.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "AtomicFile.h"
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

std::string TCSV::GetLine() const {
  std::string line;
  for (const std::string& f : fFields) line += std::string(1, fOutputSeparator) + '"' + f + '"';
  return line.empty() ? line : line.substr(1);
}

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
  const auto text = [utf8](const std::string& cp1252) {
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
  for (long n = 0; !csv->AtEnd(); csv->ReadNext(), ++n) {
    if (job.progress && n % 4096 == 0 && !job.progress(csv->Position())) {
      r.status = TCsvBatchResult::kCancelled;
      return r;  // the unfinished output goes with it
    }
    const std::string blz = BeforeDot(csv->GetField(job.blzColumn - 1));
    const std::string kto = BeforeDot(csv->GetField(job.ktoColumn - 1));
    if (blz.empty() || kto.empty() || blz == "0" || kto == "0") continue;
    const int code = p.TestBlzKto(blz, kto);
    ++r.checked;
    if (job.append) {
      const bool ok = code >= 0 && code <= 10;
      csv->AddField(std::to_string(code));
      csv->AddField(ok ? p.GetIban(blz, kto, false) : "");
      csv->AddField(ok ? text(p.GetBic(blz)) : "");
      r.errors += !ok;
      out.Write(csv->GetLine() + "\r\n");
    } else if (code != 0 && code != 3 && code != 4) {
      out.Write("Zeile: " + csv->GetLine() + "\r\n" + text(p.GetErrorMessage(code)) + "\r\n");
      ++r.errors;
    }
  }
  if (!out.Commit(reason)) {
    r.status = TCsvBatchResult::kNoOutput;
    r.message = "Ausgabedatei " + r.output + " kann nicht angelegt werden!";
  }
  return r;
}

}  // namespace zel
