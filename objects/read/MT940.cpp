#include "MT940.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <stdexcept>

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

int FileDescriptorOf(const std::string& fileName) {
  const int fd = ::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) throw std::runtime_error(fileName + ": " + std::strerror(errno));
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    throw std::runtime_error(fileName + ": keine normale Datei");
  }
  return fd;
}

}  // namespace

bool ParseMt940Amount(const std::string& text, TAmount& amount) {
  std::string t = MiniUtils::Trim(text);
  const std::size_t comma = t.find(',');
  if (comma != std::string::npos) t[comma] = '.';
  const std::size_t dot = t.find('.');
  const std::string whole = t.substr(0, dot);
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
  if (!fFile) throw std::runtime_error(fileName + ": " + std::strerror(errno));
  std::string rest = translation;
  while (fPairs.size() < kMaxPairs && rest.size() > 4) {
    fPairs.emplace_back(rest.substr(0, 2), rest.substr(3, 2));
    rest.erase(0, 6);
  }
  std::string line;
  while (ReadLine(line))
    if (!line.empty()) {
      fPending = line;
      break;
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
    if (line.empty()) continue;
    if (MiniUtils::Trim(line) == "-" && line[0] == '-')
      return std::exchange(fPending, std::string("-"));
    if (line[0] == ':') return std::exchange(fPending, line);
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

TMt940Grammar::TEvent TMt940Grammar::Feed(const std::string& f) {
  const auto is = [&](const char* tag) { return f.rfind(tag, 0) == 0; };
  if (is(":20:") && !fContinuation) {
    Statement = TStatementRecord{};
    return evStatementStart;
  }
  if (is(":25:") && !fContinuation) {
    const std::size_t slash = f.find('/');
    Statement.Blz = slash == std::string::npos ? "" : MiniUtils::Trim(f.substr(4, slash - 4));
    Statement.Konto = WithoutLeadingZeros(
        MiniUtils::Trim(slash == std::string::npos ? Part(f, 5, 24) : f.substr(slash + 1, 34)));
  } else if ((is(":28:") || is(":28C:")) && !fContinuation) {
    const std::string n = f.substr(is(":28:") ? 4 : 5);
    Statement.AuszugNr = IntOf(n.substr(0, n.find('/')));
  } else if (is(":60F:")) {
    ReadBalance(f, Statement.AnfangDatum, Statement.AnfangWaehrung, Statement.AnfangBetrag);
  } else if (is(":60M:")) {
    fContinuation = false;
  } else if (is(":61:")) {
    fBookingLine = f;
  } else if (is(":86:")) {
    ReadBooking(f);
    return evTransaction;
  } else if (is(":62F:")) {
    ReadBalance(f, Statement.EndDatum, Statement.EndWaehrung, Statement.EndBetrag);
    return evStatementDone;
  } else if (is(":62M:")) {
    fContinuation = true;
  }
  return evNone;
}

void TMt940Grammar::ReadBalance(const std::string& f, TDateTime& date, std::string& currency,
                                TAmount& amount) const {
  date = DateOf(f, 7);
  if (date == 0 || !ParseMt940Amount(Part(f, 16), amount))
    throw std::runtime_error("Saldo nicht lesbar: " + f.substr(0, 80));
  if (Part(f, 6, 1) == "D") amount = -amount;
  currency = Part(f, 13, 3);
}

// The booking line with this ":86:" field: dates, amount, original amount,
// then the details.
void TMt940Grammar::ReadBooking(const std::string& details) {
  TTransactionRecord& t = Transaction;
  t = TTransactionRecord{};
  const std::string& b = fBookingLine;
  t.Valuta = DateOf(b, 5);
  std::size_t mark = 11;
  t.Buchung = t.Valuta;
  if (IsDigit(Part(b, 11, 1)[0])) {
    const int y = t.Valuta ? DecodeDate(t.Valuta).year : 0;
    const int m = IntOf(Part(b, 11, 2)), d = IntOf(Part(b, 13, 2));
    if (IsValidDate(y, m, d)) t.Buchung = EncodeDate(y, m, d);
    mark = 15;
  }
  const bool reversal = Part(b, mark, 1) == "R";
  const bool debit = Part(b, mark + reversal, 1) == "D";
  const bool negative = reversal ? !debit : debit;
  std::string amount = Part(b, mark + reversal + 1);
  if (!amount.empty() && !IsDigit(amount[0])) amount.erase(0, 1);
  amount = amount.substr(0, amount.find(Statement.Blz == "POFICHBE" ? 'F' : 'N'));
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
  ReadDetails(details);
}

void TMt940Grammar::ReadDetails(const std::string& f) {
  TTransactionRecord& t = Transaction;
  if (Statement.Blz == "POFICHBE") {
    const std::size_t nonref = fBookingLine.find("NONREF");
    if (nonref != std::string::npos) {
      const std::string x = MiniUtils::Ausgleich(fBookingLine.substr(nonref + 6, 35), 35);
      t.Verwendung =
          MiniUtils::Ausgleich(x.substr(6, 2) + "." + x.substr(4, 2) + "." + x.substr(0, 4), 27) +
          MiniUtils::Ausgleich(x.substr(8, 27), 27);
    }
    t.Verwendung += Part(f, 5);
    return;
  }
  if (t.Gvc >= 900) {
    t.Verwendung = Part(f, 8, 378);
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
      t.Buchungstext = content.substr(0, 27);
    else if (code == 10)
      t.Primanota = content.substr(0, 10);
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

}  // namespace zel
