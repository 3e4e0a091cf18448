#include "MT940.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <stdexcept>

#include "Cp1252.h"
#include "MiniUtils.h"

namespace zel {
namespace {

constexpr std::size_t kMaxLine = 4096;    // longer lines are cut
constexpr std::size_t kMaxField = 65536;  // so are fields of endless continuation lines
constexpr std::size_t kMaxPairs = 100;

// Characters from..from+len-1 (1-based), as far as the text reaches.
std::string Part(const std::string& s, std::size_t from, std::size_t len = std::string::npos) {
  return from - 1 < s.size() ? s.substr(from - 1, len) : std::string();
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The integer of a text, 0 when it is none.
int IntOf(const std::string& s) {
  const std::string t = MiniUtils::Trim(s);
  if (t.empty() || t.size() > 9) return 0;
  for (char c : t)
    if (!IsDigit(c)) return 0;
  return std::stoi(t);
}

std::string WithoutLeadingZeros(const std::string& s) {
  const std::size_t first = s.find_first_not_of('0');
  return first == std::string::npos ? std::string() : s.substr(first);
}

// YYMMDD at a position, 0 when it is no date.
TDateTime DateOf(const std::string& field, std::size_t pos) {
  const std::string yy = Part(field, pos, 2);
  const int y = IntOf(MiniUtils::GetCentury(yy) + yy);
  const int m = IntOf(Part(field, pos + 2, 2)), d = IntOf(Part(field, pos + 4, 2));
  return Part(field, pos, 6).size() == 6 && IsValidDate(y, m, d) ? EncodeDate(y, m, d) : 0;
}

// The tags of MT940 and MT942 fields: a line that starts with one begins a
// field; any other line continues the field before it (a purpose line may
// well start with ":").
bool StartsField(const std::string& line) {
  static const char* const kTags[] = {"20", "21",  "25",  "28",  "28C", "60F", "60M",
                                      "61", "62F", "62M", "64",  "65",  "86",  "NS",
                                      "13", "13D", "34F", "90D", "90C"};
  if (line.size() < 3 || line[0] != ':') return false;
  const std::size_t end = line.find(':', 1);
  if (end == std::string::npos) return false;
  const std::string tag = line.substr(1, end - 1);
  for (const char* k : kTags)
    if (tag == k) return true;
  return false;
}

// A line without what carries no content: Ctrl-Z, trailing blanks, and the
// envelope of a SWIFT message ("{1:...}{2:...}{4:" before and "-}" after).
void StripEnvelope(std::string& line) {
  line.erase(std::remove(line.begin(), line.end(), '\x1A'), line.end());
  while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.pop_back();
  while (!line.empty() && line[0] == '{') {
    const std::size_t close = line.find('}');
    if (close != std::string::npos) {
      line.erase(0, close + 1);
    } else if (line.rfind("{4:", 0) == 0) {
      line.erase(0, 3);
    } else {
      break;
    }
  }
  if (line.size() >= 2 && line.compare(line.size() - 2, 2, "-}") == 0 && line != "-}")
    line.erase(line.size() - 2);
  else if (line == "-}" || line == "}")
    line = "-";
}

// The booking date MMDD in the year that puts it nearest the value date
// (a booking of 31.12. valued 02.01. lies in the year before).
TDateTime NearestDate(TDateTime valuta, int m, int d) {
  if (valuta == 0) return 0;
  const int y = DecodeDate(valuta).year;
  TDateTime best = 0;
  for (const int year : {y - 1, y, y + 1}) {
    if (!IsValidDate(year, m, d)) continue;
    const TDateTime date = EncodeDate(year, m, d);
    if (best == 0 || std::fabs(date - valuta) < std::fabs(best - valuta)) best = date;
  }
  return best;
}

int FileDescriptorOf(const std::string& fileName) {
  const int fd = ::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) throw TStatementFileError(fileName + ": " + std::strerror(errno));
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    throw TStatementFileError(fileName + ": keine normale Datei");
  }
  return fd;
}

}  // namespace

bool ParseMt940Amount(const std::string& text, TAmount& amount) {
  std::string t = MiniUtils::Trim(text);
  const std::size_t comma = t.find(',');
  if (comma != std::string::npos) t[comma] = '.';
  const std::size_t dot = t.find('.');
  std::string whole = t.substr(0, dot);
  whole.erase(0, std::min(whole.find_first_not_of('0'), whole.empty() ? 0 : whole.size() - 1));
  std::string fraction = dot == std::string::npos ? "" : t.substr(dot + 1);
  if (whole.empty() || whole.size() > 14 || fraction.size() > 4) return false;
  for (char c : whole + fraction)
    if (!IsDigit(c)) return false;
  fraction.resize(4, '0');
  amount = std::stoll(whole) * 10000 + std::stoll(fraction);
  return true;
}

// ---------------------------------------------------------------------------
// Reading fields

TMT940::TMT940(const std::string& fileName, const std::string& translation)
    : fFile(::fdopen(FileDescriptorOf(fileName), "r"), std::fclose) {
  if (!fFile) throw TStatementFileError(fileName + ": " + std::strerror(errno));
  std::string rest = translation;
  while (fPairs.size() < kMaxPairs && rest.size() > 4) {
    fPairs.emplace_back(rest.substr(0, 2), rest.substr(3, 2));
    rest.erase(0, 6);
  }
  std::string line;
  while (ReadLine(line)) {
    StripEnvelope(line);
    if (!line.empty()) {
      fPending = line;
      break;
    }
  }
}

// One line without its CR LF, cut at kMaxLine; false at the end.
bool TMT940::ReadLine(std::string& line) {
  line.clear();
  int c;
  while ((c = std::getc(fFile.get())) != EOF && c != '\n')
    if (line.size() < kMaxLine) line += static_cast<char>(c);
  if (c == EOF && line.empty()) return false;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

std::string TMT940::Assemble() {
  std::string line;
  for (;;) {
    if (!ReadLine(line)) return std::exchange(fPending, std::string());
    StripEnvelope(line);
    if (line.empty()) continue;
    if (line == "-") return std::exchange(fPending, std::string("-"));
    if (StartsField(line) || fPending.empty() || fPending == "-")
      return std::exchange(fPending, line);
    if (fPending.size() >= kMaxField) continue;
    if (fPending.rfind(":NS:", 0) == 0) fPending += '~';
    fPending += line;
  }
}

std::string TMT940::GetNextLine() {
  const std::string field = Assemble();
  return field.rfind(":NS:", 0) == 0 ? Translate(field.substr(4)) : field;
}

// ":NS:" parts "22Miete" become subfields "?20Miete" of a ":86:000".
std::string TMT940::Translate(const std::string& ns) const {
  std::string out = ":86:000";
  std::size_t from = 0;
  for (;;) {
    const std::size_t tilde = ns.find('~', from);
    const std::string part = ns.substr(from, tilde == std::string::npos ? tilde : tilde - from);
    for (const auto& [code, to] : fPairs)
      if (part.compare(0, 2, code) == 0 && part.size() >= 2) out += "?" + to + part.substr(2);
    if (tilde == std::string::npos) return out;
    from = tilde + 1;
  }
}

// ---------------------------------------------------------------------------
// The grammar

void TMt940Grammar::Feed(const std::string& f) {
  if (fStopped) return;
  const auto is = [&](const char* tag) { return f.rfind(tag, 0) == 0; };
  if (is(":34F:") || is(":13D:") || is(":13:") || is(":90D:") || is(":90C:"))
    throw TStatementFileError(
        "Die Datei ist eine MT942-Umsatzmitteilung (Vormerkposten); übernommen werden nur "
        "Tagesauszüge (MT940, camt.053)");
  // Whatever follows a booking line other than its details ends it.
  if (!fBookingLine.empty() && !is(":86:")) Book("");
  if (is(":20:") && !fContinuation) {
    fBatch = TStatementBatch{};
    fOpen = true;
  } else if (is(":25:") && !fContinuation) {
    TStatementRecord& st = fBatch.Statement;
    const std::size_t slash = f.find('/');
    st.Blz = slash == std::string::npos ? "" : MiniUtils::Trim(f.substr(4, slash - 4));
    st.Konto = WithoutLeadingZeros(
        MiniUtils::Trim(slash == std::string::npos ? Part(f, 5, 24) : f.substr(slash + 1, 34)));
  } else if ((is(":28:") || is(":28C:")) && !fContinuation) {
    const std::string n = f.substr(is(":28:") ? 4 : 5);
    fBatch.Statement.AuszugNr = IntOf(n.substr(0, n.find('/')));
  } else if (is(":60F:")) {
    TStatementRecord& st = fBatch.Statement;
    ReadBalance(f, st.AnfangDatum, st.AnfangWaehrung, st.AnfangBetrag);
  } else if (is(":60M:")) {
    fContinuation = false;
  } else if (is(":61:")) {
    fBookingLine = f;
  } else if (is(":86:")) {
    // Details of the booking before; a second ":86:" is information on
    // the statement, never a booking of its own.
    if (!fBookingLine.empty()) Book(f);
  } else if (is(":62F:")) {
    TStatementRecord& st = fBatch.Statement;
    ReadBalance(f, st.EndDatum, st.EndWaehrung, st.EndBetrag);
    if (fOpen && !fSink(fBatch)) fStopped = true;
    fOpen = false;
    fBatch = TStatementBatch{};
  } else if (is(":62M:")) {
    fContinuation = true;
  }
}

bool TMt940Grammar::Finish(std::string& error) {
  if (!fBookingLine.empty()) Book("");
  if (!fOpen || fStopped) return true;
  error = "Auszug " + std::to_string(fBatch.Statement.AuszugNr) + " (Konto " +
          fBatch.Statement.Konto + ") hat keinen Schlusssaldo (:62F:) und wurde nicht übernommen";
  fOpen = false;
  return false;
}

void TMt940Grammar::ReadBalance(const std::string& f, TDateTime& date, std::string& currency,
                                TAmount& amount) const {
  date = DateOf(f, 7);
  if (date == 0 || !ParseMt940Amount(Part(f, 16), amount))
    throw std::runtime_error("Saldo nicht lesbar: " + f.substr(0, 80));
  if (Part(f, 6, 1) == "D") amount = -amount;
  currency = Part(f, 13, 3);
}

// The booking line with its ":86:" field (or none): dates, amount,
// original amount, then the details.
void TMt940Grammar::Book(const std::string& details) {
  TTransactionRecord t;
  const std::string b = std::exchange(fBookingLine, std::string());
  t.Valuta = DateOf(b, 5);
  std::size_t mark = 11;
  t.Buchung = t.Valuta;
  if (IsDigit(Part(b, 11, 1)[0])) {
    const TDateTime booked = NearestDate(t.Valuta, IntOf(Part(b, 11, 2)), IntOf(Part(b, 13, 2)));
    if (booked != 0) t.Buchung = booked;
    mark = 15;
  }
  const bool reversal = Part(b, mark, 1) == "R";
  const bool debit = Part(b, mark + reversal, 1) == "D";
  const bool negative = reversal ? !debit : debit;
  std::string amount = Part(b, mark + reversal + 1);
  if (!amount.empty() && !IsDigit(amount[0])) amount.erase(0, 1);  // third currency letter
  // The amount ends where the transaction type begins ("N", "S", "F" ...).
  amount = amount.substr(0, amount.find_first_not_of("0123456789,"));
  if (!ParseMt940Amount(amount, t.Betrag)) t.Betrag = 0;
  if (negative) t.Betrag = -t.Betrag;
  const std::string both = b + details;
  const std::size_t ocmt = both.find("/OCMT/");
  if (ocmt != std::string::npos) {
    t.OrigWaehrung = both.substr(ocmt + 6, 3);
    const std::string rest = Part(both, ocmt + 10);
    if (!ParseMt940Amount(rest.substr(0, rest.find('/')), t.OrigBetrag)) t.OrigBetrag = 0;
    if (negative) t.OrigBetrag = -t.OrigBetrag;
  }
  t.Gvc = IntOf(Part(details, 5, 3));
  if (!details.empty()) ReadDetails(t, b, details);
  if (fOpen) fBatch.Bookings.push_back(std::move(t));
}

void TMt940Grammar::ReadDetails(TTransactionRecord& t, const std::string& booking,
                                const std::string& f) const {
  if (fBatch.Statement.Blz == "POFICHBE") {
    const std::size_t nonref = booking.find("NONREF");
    if (nonref != std::string::npos) {
      const std::string x = MiniUtils::Ausgleich(booking.substr(nonref + 6, 35), 35);
      t.Verwendung =
          MiniUtils::Ausgleich(x.substr(6, 2) + "." + x.substr(4, 2) + "." + x.substr(0, 4), 27) +
          MiniUtils::Ausgleich(x.substr(8, 27), 27);
    }
    t.Verwendung += Part(f, 5);
    return;
  }
  if (t.Gvc >= 900) {
    t.Verwendung = CutCharacters(Part(f, 8), 378);
    return;
  }
  const char sep = f.size() >= 8 ? f[7] : '?';
  std::size_t from = 8;  // 0-based start of the subfields
  while (from < f.size()) {
    const std::size_t next = f.find(sep, from);
    const std::string sub = f.substr(from, next == std::string::npos ? next : next - from);
    from = next == std::string::npos ? f.size() : next + 1;
    const std::string codeText = sub.substr(0, 2);
    const int code = codeText.size() == 2 && IsDigit(codeText[0]) && IsDigit(codeText[1])
                         ? std::stoi(codeText)
                         : 99;
    const std::string content = sub.size() > 2 ? sub.substr(2) : "";
    if (code == 0)
      t.Buchungstext = CutCharacters(content, 27);
    else if (code == 10)
      t.Primanota = CutCharacters(content, 10);
    else if ((code >= 20 && code <= 29) || (code >= 60 && code <= 63)) {
      if (content.rfind("/OCMT/", 0) != 0 && content.rfind("/CHGS/", 0) != 0)
        t.Verwendung += content;
    } else if (code == 30)
      t.GegenBlz = content;
    else if (code == 31)
      t.GegenKonto = WithoutLeadingZeros(content);
    else if (code == 32 || code == 33)
      t.GegenName += content;
    else if (code == 34)
      t.TextSchluesselErg = IntOf(content);
  }
}

// ---------------------------------------------------------------------------
// Whole files

void ReadMt940File(const std::string& fileName, const std::string& translation,
                   const TStatementSink& sink, TReadNotes& notes) {
  TMT940 file(fileName, translation);
  TMt940Grammar grammar(sink);
  for (std::string field; !(field = file.GetNextLine()).empty();) grammar.Feed(field);
  std::string error;
  if (!grammar.Finish(error)) notes.Notices.push_back(error);
}

std::string CutCharacters(const std::string& text, std::size_t n) {
  if (!IsUtf8(text)) return text.substr(0, n);
  std::size_t at = 0;
  for (std::size_t count = 0; at < text.size() && count < n; ++count) do
      ++at;
    while (at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80);
  return text.substr(0, at);
}

}  // namespace zel
