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
  ReadNext();
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
  r.output = job.output.empty() ? PathWithExtension(job.input, ".out") : job.output;
  TAtomicFile out(r.output);
  std::string reason;
  if (!IsSafeOutputTarget(r.output, job.input, reason) || !out.Open(reason)) {
    r.status = TCsvBatchResult::kNoOutput;
    r.message = "Ausgabedatei " + r.output + " kann nicht angelegt werden!";
    return r;
  }
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
      csv->AddField(ok ? p.GetBic(blz) : "");
      r.errors += !ok;
      out.Write(csv->GetLine() + "\r\n");
    } else if (code != 0 && code != 3 && code != 4) {
      out.Write("Zeile: " + csv->GetLine() + "\r\n" + p.GetErrorMessage(code) + "\r\n");
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
