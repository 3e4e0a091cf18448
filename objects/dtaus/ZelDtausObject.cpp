#include "ZelDtausObject.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <map>
#include <vector>

#include "AtomicFile.h"
#include "BlzTab.h"
#include "Context.h"
#include "Cp1252.h"
#include "Dates.h"
#include "DtausRecords.h"
#include "MiniUtils.h"
#include "UniqueFd.h"
#include "ZelPackage.h"
#include "ZelRegistration.h"

namespace zel {
namespace {

using namespace dtaus;

const TZelRegistrar<TZelDtausObject> kRegistration(TZelDtausObject::kClassName);

constexpr std::int64_t kMaxCents = 2147483647;  // the cent arithmetic of the format

std::string T(const char* utf8) { return Utf8ToCp1252(utf8); }

std::string SystemError() { return std::strerror(errno); }

using MiniUtils::Trim;

// Left-aligned in a field of `width`, cut or padded with blanks.
std::string Field(std::string_view text, std::size_t width) {
  std::string f(text.substr(0, width));
  f.resize(width, ' ');
  return f;
}

std::string Digits(long long value, int width) {
  return TZelDtausObject::Normalize(std::to_string(value < 0 ? -value : value), width);
}

std::string DateText(TDateTime d, bool fourDigitYear) {
  const TCivilDate c = DecodeDate(d);
  char buf[32];
  std::snprintf(buf, sizeof buf, fourDigitYear ? "%02d%02d%04d" : "%02d%02d%02d", c.day, c.month,
                fourDigitYear ? c.year : c.year % 100);
  return buf;
}

// Whole cents of an amount of 1/10000 units; an exact half goes to the even cent.
std::int64_t Cents(Currency amount) {
  std::int64_t cents = amount / 100;
  const std::int64_t rest = amount % 100;
  if (rest > 50 || (rest == 50 && cents % 2 != 0)) ++cents;
  if (rest < -50 || (rest == -50 && cents % 2 != 0)) --cents;
  return cents;
}

// Blanks after an extension part when more follow, and after the last one.
int BlanksAfterPart(int part, int count) {
  if (part < count) return part == 2 ? 11 : (part == 6 || part == 10 || part == 14) ? 12 : 0;
  static constexpr int kTail[16] = {69, 40, 11, 99, 70, 41, 12, 99, 70, 41, 12, 99, 70, 41, 12, 99};
  return kTail[count];
}

constexpr std::int32_t kNotDtaus = -432;
constexpr std::int32_t kListNotWritten = -433;

// Opens a file for writing under an advisory exclusive lock; others may
// still read it. Truncates it when asked to. A symbolic link or anything
// but a regular file in its place is never written through.
std::FILE* OpenLocked(const std::string& name, bool truncate) {
  const int fd = ::open(name.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0666);
  if (fd < 0) return nullptr;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    errno = EINVAL;
    return nullptr;
  }
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || (truncate && ::ftruncate(fd, 0) != 0)) {
    const int e = errno;
    ::close(fd);
    errno = e;
    return nullptr;
  }
  std::FILE* f = ::fdopen(fd, "r+b");
  if (!f) ::close(fd);
  return f;
}

}  // namespace

void TZelDtausObject::FileCloser::operator()(std::FILE* f) const { std::fclose(f); }

// ---------------------------------------------------------------------------
// Texts and fields

std::string TZelDtausObject::Normalize(std::string_view Text) {
  std::string out;
  out.reserve(Text.size());
  for (char ch : Text) {
    const auto c = static_cast<unsigned char>(ch);
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
        std::string_view(" $%&*+,-./").find(ch) != std::string_view::npos)
      out += ch;
    else if (c >= 'a' && c <= 'z')
      out += static_cast<char>(c - 32);
    else if (c == 0xC4 || c == 0xE4)
      out += '[';
    else if (c == 0xD6 || c == 0xF6)
      out += '\\';
    else if (c == 0xDC || c == 0xFC)
      out += ']';
    else if (c == 0xDF)
      out += '~';
    else
      out += ' ';
  }
  return out;
}

std::string TZelDtausObject::Normalize(std::string_view Text, int Width) {
  std::string digits;
  for (char c : Text)
    if (c >= '0' && c <= '9' && digits.size() < static_cast<std::size_t>(Width)) digits += c;
  return std::string(static_cast<std::size_t>(Width) - digits.size(), '0') + digits;
}

TErweiterungsteile TZelDtausObject::GetErweiterungsteile(std::string_view OwnName,
                                                         std::string_view Name,
                                                         std::string_view Purpose) {
  TErweiterungsteile e;
  auto add = [&](int type, std::string_view text) {
    e.Parts[e.Count++] = {type, std::string(text)};
  };
  if (Name.size() > 27) add(1, Name.substr(27, 27));
  const std::string_view rest = Purpose.size() > 27 ? Purpose.substr(27, 351) : std::string_view();
  for (std::size_t pos = 0; pos < rest.size(); pos += 27) add(2, rest.substr(pos, 27));
  if (OwnName.size() > 27) add(3, OwnName.substr(27, 27));
  return e;
}

// ---------------------------------------------------------------------------
// Records

std::string TZelDtausObject::ARecord(const std::string& number, int daysAhead) const {
  const TDateTime today = std::floor(Clock::Now());
  std::string r = "0128A";
  r += Type == 1 ? "GK" : "LK";
  r += Blz + "00000000" + Field(Name, 27) + DateText(today, false) + std::string(4, ' ');
  r += Kto + Normalize(number, 10) + std::string(15, ' ');
  r += DateText(today + daysAhead, true) + std::string(24, ' ');
  r += CurrencyMode == 2 ? " " : "1";
  return r;
}

std::string TZelDtausObject::CRecord(const std::string& blz, const std::string& kto,
                                     const std::string& name, const std::string& purpose,
                                     const std::string& intern, int ts, int tse,
                                     std::int64_t cents) const {
  const TErweiterungsteile e = GetErweiterungsteile(Name, name, purpose);
  const bool special = CurrencyMode > 0;
  std::string r = Digits(187 + 29 * e.Count, 4) + "C" + Blz;
  r += special ? Blz : blz;
  r += special ? "0000000000" : kto;
  r += "0" + Normalize(intern, 11) + "0" + Digits(ts, 2) + Digits(tse, 3) + " ";
  r += CurrencyMode == 2 ? Digits(cents, 11) : std::string(11, '0');
  r += special ? (blz == "00000000" ? Blz : blz) : Blz;
  r += special ? (kto == "0000000000" ? "1111111111" : kto) : Kto;
  r += CurrencyMode == 2 ? std::string(11, '0') : Digits(cents, 11);
  r += "   " + Field(name, 27) + std::string(8, ' ') + Field(Name, 27) + Field(purpose, 27);
  r += CurrencyMode == 2 ? " " : "1";
  r += "  " + Digits(e.Count, 2);
  for (int i = 0; i < e.Count; ++i) {
    r += Digits(e.Parts[i].Type, 2) + Field(e.Parts[i].Text, 27);
    r += std::string(static_cast<std::size_t>(BlanksAfterPart(i + 1, e.Count)), ' ');
  }
  if (e.Count == 0) r += std::string(static_cast<std::size_t>(BlanksAfterPart(0, 0)), ' ');
  return r;
}

std::string TZelDtausObject::ERecord() const {
  std::string r = "0128E" + std::string(5, ' ') + Digits(Anzahl, 7);
  r += CurrencyMode == 2 ? SummeBetrag.Last(13) : std::string(13, '0');
  r += SummeKto.Last(17) + SummeBlz.Last(17);
  r += CurrencyMode == 2 ? std::string(13, '0') : SummeBetrag.Last(13);
  return r + std::string(51, ' ');
}

// ---------------------------------------------------------------------------
// Operations

TZelDtausObject::TZelDtausObject() {
  if (const TZelClass* probe = ZelPackage()->GetZelClassByName("ZelProbeObject"))
    Probe = probe->Create();
}

TZelDtausObject::~TZelDtausObject() {
  if (File) CloseFile();
}

int TZelDtausObject::TestPair(const std::string& blz, const std::string& kto) {
  return Probe ? Probe->TestBlzKto(blz, kto) : 9;
}

bool TZelDtausObject::WriteBytes(const std::string& bytes) {
  errno = 0;
  if (std::fwrite(bytes.data(), 1, bytes.size(), File.get()) == bytes.size() &&
      std::fflush(File.get()) == 0)
    return true;
  LastError = errno ? SystemError() : T("Schreibfehler");
  return false;
}

void TZelDtausObject::ResetSums() {
  SummeBlz = SummeKto = SummeBetrag = TString80();
  Anzahl = 0;
}

std::int32_t TZelDtausObject::CreateFile(const std::string& Filename, const std::string& aBlz,
                                         const std::string& aKto, const std::string& aName,
                                         const std::string& Number, std::int32_t aType,
                                         std::int32_t aCheckFlag, std::int32_t DaysAhead) {
  if (File) {
    LastError = T("Geöffnete Datei: ") + FileName;
    return 401;
  }
  if (aType != 1 && aType != 2) {
    LastError = "Angegebener Typ: " + std::to_string(aType);
    return 402;
  }
  Type = aType;
  Blz = Normalize(aBlz, 8);
  CurrencyMode = Blz == "99935000" ? 1 : 0;
  Kto = Normalize(aKto, 10);
  CheckFlag = aCheckFlag != 0;
  if (CheckFlag) {
    const int r = TestPair(Blz, Kto);
    if (r == -1 || r > 10) {
      LastError = "ZelProbe-Result: " + std::to_string(r) + " (" + Probe->GetErrorMessage(r) + ")";
      return 403;
    }
  }
  Name = Trim(Normalize(aName));
  std::size_t currencyAt = 0;
  if (CurrencyMode == 1) {
    Name = Name.substr(0, 27);
    const std::size_t dash = Name.rfind('-');
    if (dash == std::string::npos || dash < 4 || Name[dash - 4] != ' ') {
      LastError = T("Kein \"Währung-Land\" im Auftraggeber gefunden: ") + Name;
      return 406;
    }
    if (Name.substr(dash - 3, 3) != "EUR") CurrencyMode = 2;
    currencyAt = dash - 4;
  }
  File.reset(OpenLocked(Filename, true));
  if (!File) {
    LastError = SystemError();
    return 404;
  }
  FileName = Filename;
  ResetSums();
  LastError = "Ok";
  int result = 0;
  if (!WriteBytes(ARecord(Number, DaysAhead))) result = 405;
  if (CurrencyMode > 0) Name.resize(currencyAt);  // C records carry the name without it
  return result;
}

std::int32_t TZelDtausObject::WriteFile(const std::string& aBlz, const std::string& aKto,
                                        const std::string& aName, const std::string& Verwend,
                                        const std::string& Intern, std::int32_t TS,
                                        std::int32_t TSE, Currency Betrag) {
  if (!File) {
    LastError = T("Keine geöffnete Datei");
    return 411;
  }
  const bool keyOk =
      Type == 1 ? (TS == 51 || TS == 53 || TS == 54 || TS == 56) : (TS == 4 || TS == 5);
  if (!keyOk) {
    char key[16];
    std::snprintf(key, sizeof key, "%02d", TS);
    LastError = T("Ungültiger Textschlüssel: ") + key;
    return 412;
  }
  const std::int64_t cents = Cents(Betrag);
  if (cents < 0 || cents > kMaxCents) {
    LastError = T("Betrag außerhalb von 0,00 bis 21474836,47: ") + std::to_string(Betrag / 10000) +
                "," + Digits(Betrag % 10000, 4);
    return 415;
  }
  const std::string blz = Normalize(aBlz, 8), kto = Normalize(aKto, 10);
  if (CheckFlag) {
    const int r = TestPair(blz, kto);
    if (r == -1 || r > 10) {
      LastError = "ZelProbe-Result: " + std::to_string(r) + " (" + Probe->GetErrorMessage(r) + ")";
      return 413;
    }
  }
  std::string name = Trim(Normalize(aName));
  if (CurrencyMode > 0) name = Trim(name.substr(0, 27));
  const std::string purpose = Trim(Normalize(Verwend));
  const bool written = WriteBytes(CRecord(blz, kto, name, purpose, Intern, TS, TSE, cents));
  if (written) LastError = "Ok";
  SummeBlz.AddString(CurrencyMode > 0 ? Blz : blz);
  SummeKto.AddString(CurrencyMode > 0 ? "0" : kto);
  SummeBetrag.AddString(std::to_string(cents));
  ++Anzahl;
  return written ? 0 : 414;
}

std::int32_t TZelDtausObject::CloseFile() {
  if (!File) {
    LastError = T("Keine geöffnete Datei");
    return 421;
  }
  int result = 0;
  if (WriteBytes(ERecord()))
    LastError = "Ok";
  else
    result = 422;
  File.reset();
  FileName.clear();
  return result;
}

std::int32_t TZelDtausObject::CheckFile(const std::string& Filename) {
  if (Filename.size() == 2 && Filename[0] == '*') {
    auto strip = [](std::string_view d, std::size_t keep) {
      while (d.size() > keep && d.front() == '0') d.remove_prefix(1);
      return std::string(d);
    };
    switch (Filename[1]) {
      case 'A': LastError = std::to_string(Anzahl); return 0;
      case 'B': {
        const std::string b = strip(SummeBetrag.Digits(), 3);
        LastError = b.substr(0, b.size() - 2) + "." + b.substr(b.size() - 2);
        return 0;
      }
      case 'C': LastError = strip(SummeKto.Digits(), 1); return 0;
      case 'D': LastError = strip(SummeBlz.Digits(), 1); return 0;
      default:
        LastError = "Spezialfunktion \"" + std::string(1, Filename[1]) + "\" existiert nicht.";
        return -431;
    }
  }
  const int fd = ::open(Filename.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) {
    LastError = SystemError();
    return -3;
  }
  const TUniqueFd closer{fd};
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    if (S_ISDIR(st.st_mode)) errno = EISDIR;
    LastError = S_ISDIR(st.st_mode) || errno != 0 ? SystemError() : T("Keine gewöhnliche Datei");
    return -3;
  }
  const std::string listName = PathWithExtension(Filename, ".out");
  std::string reason;
  if (!IsSafeOutputTarget(listName, Filename, reason)) {
    LastError = reason;
    return kListNotWritten;
  }
  ResetSums();
  TAtomicFile list(listName);
  std::int32_t errors = 0;
  std::map<int, std::string> messages;  // each status text asked for once
  std::string line;
  const int rc = ReadRecords(fd, [&](const char* c) {
    const std::string blz(c + 13, 8), kto(c + 21, 10);
    const int r = TestPair(blz, kto);
    if (r != -1 && r <= 10) return;
    if (errors++ == 0 && !list.Open(reason)) errors = -1;
    if (errors < 0) return;
    auto text = messages.find(r);
    if (text == messages.end())
      text = messages.emplace(r, Probe ? Probe->GetErrorMessage(r) : std::string()).first;
    line.clear();
    AppendPrintable(line, blz);
    line += '/';
    AppendPrintable(line, kto);
    line += '/';
    AppendPrintable(line, {c + 32, 11});
    line += " (";
    AppendPrintable(line, Trim({c + 93, 27}));
    line += "): ";
    line += text->second;
    line += "\r\n";
    list.Write(line);
  });
  if (rc != 0) return rc;
  if (errors < 0 || (errors > 0 && !list.Commit(reason))) {
    LastError = reason;
    return kListNotWritten;
  }
  if (errors == 0) {
    ::unlink(listName.c_str());  // a list of an earlier run no longer holds
    LastError = "Ok";
    return 0;
  }
  LastError = std::to_string(errors) + " Fehler in " + Filename + ".";
  return errors;
}

// Reads the records of an open DTAUS file and checks their form: an A
// record, C records of a valid length filling whole blocks, an E record
// whose count and sums match, nothing behind it. Calls `payment` with the
// first block of each C record after adding it to the sums. 0, or -3 for a
// read error, kNotDtaus for a file of another form (LastError says where).
template <typename F>
int TZelDtausObject::ReadRecords(int fd, F payment) {
  TBlockReader in(fd);
  const char* b = nullptr;
  bool ended = false;
  for (long record = 1;; ++record) {
    const TBlockReader::Result r = in.Next(b);
    if (r == TBlockReader::kReadError) {
      errno = in.Error();
      LastError = SystemError();
      return -3;
    }
    if (r == TBlockReader::kEnd && ended) return 0;
    const std::string where = "Satz " + std::to_string(record) + ": ";
    if (r == TBlockReader::kEnd)
      return NotDtaus(record == 1 ? "Die Datei ist leer." : where + "Der E-Satz fehlt.");
    if (r == TBlockReader::kShort)
      return NotDtaus(where + "Der Satz ist unvollständig (die Datei endet mitten im Block).");
    if (ended) return NotDtaus(where + "Hinter dem E-Satz folgen weitere Daten.");
    const std::string_view length(b, 4);
    const char type = b[4];
    if (record == 1) {
      if (length != "0128" || type != 'A')
        return NotDtaus(where + "Die Datei beginnt nicht mit einem A-Satz.");
      continue;
    }
    if (type == 'E' && length == "0128") {
      if (!EMatchesSums(b))
        return NotDtaus(where + "Anzahl oder Summen des E-Satzes passen nicht zu den C-Sätzen.");
      ended = true;
      continue;
    }
    const int parts = type == 'C' ? ExtensionParts(b) : -1;
    if (parts < 0)
      return NotDtaus(where + "Satzart \"" + Printable({b + 4, 1}) + "\" mit Satzlänge \"" +
                      Printable(length) + "\" ist ungültig.");
    SummeBlz.AddString({b + 13, 8});
    SummeKto.AddString({b + 21, 10});
    SummeBetrag.AddString({b + 79, 11});
    ++Anzahl;
    payment(b);
    for (int block = 2; block <= CBlocks(parts); ++block) {
      if (in.Next(b) != TBlockReader::kBlockRead)
        return NotDtaus(where + "Der C-Satz ist unvollständig.");
      if (block == 2 && !CountFieldIs(b, parts))
        return NotDtaus(where + "Die Zahl der Erweiterungsteile passt nicht zur Satzlänge.");
    }
  }
}

int TZelDtausObject::NotDtaus(const std::string& why) {
  LastError = T(why.c_str());
  return kNotDtaus;
}

bool TZelDtausObject::EMatchesSums(const char* e) const {
  return std::string_view(e + 10, 7) == Digits(Anzahl, 7) &&
         std::string_view(e + 30, 17) == SummeKto.Last(17) &&
         std::string_view(e + 47, 17) == SummeBlz.Last(17) &&
         std::string_view(e + 64, 13) == SummeBetrag.Last(13);
}

std::string TZelDtausObject::GetErrorMessage(std::int32_t Code) {
  switch (Code) {
    case 0: return "Ok";
    case 401:
      return T("Eine neue Datei kann nicht angelegt werden, solange noch eine alte offen ist.");
    case 402:
      return T(
          "Der Typ ist nicht 1 (Gutschriften) oder 2 (Lastschriften). Datei wurde nicht angelegt.");
    case 403: return T("Ihre eigenen Kontodaten sind ungültig. Datei wurde nicht angelegt.");
    case 404: return T("Die Datei konnte nicht angelegt werden.");
    case 405:
      return T(
          "Die Datei wurde angelegt, allerdings konnte der A-Satz nicht richtig geschrieben "
          "werden.");
    case 411: return T("Es ist keine Datei geöffnet, in die geschrieben werden könnte.");
    case 412:
      return T(
          "Der Textschlüssel paßt nicht zum Auftragstyp (51/53/54/56 für Überweisungen, 04/05 für "
          "Lastschriften). Datensatz wurde nicht geschrieben.");
    case 413:
      return T(
          "Die Kontodaten des Zahlungsempfängers/-pflichtigen sind ungültig. Datensatz wurde nicht "
          "geschrieben.");
    case 414: return T("Der C-Satz konnte nicht richtig geschrieben werden.");
    case 415:
      return T(
          "Der Betrag liegt außerhalb von 0,00 bis 21.474.836,47. Datensatz wurde nicht "
          "geschrieben.");
    case 421: return T("Es ist keine Datei geöffnet, die geschlossen werden könnte.");
    case 422:
      return T(
          "Die Datei wurde geschlossen, allerdings konnte der E-Satz nicht richtig geschrieben "
          "werden.");
    case -431: return T("Die angegebene Spezialfunktion existiert nicht.");
    case kNotDtaus: return T("Die Datei ist keine gültige DTAUS-Datei.");
    case kListNotWritten: return T("Die Fehlerliste konnte nicht geschrieben werden.");
    default:
      return T("Es ist der unbekannte DTAUS-Fehler Nr. ") + std::to_string(Code) + " aufgetreten.";
  }
}

// ---------------------------------------------------------------------------
// State stream

void TZelDtausObject::Freeze(TByteStream& Stream) {
  TContext c(Stream);
  c.WriteBegin();
  c.Write("FileName", FileName);
  c.Write("Blz", Blz);
  c.Write("Kto", Kto);
  c.Write("Name", Name);
  c.Write("Type", Type);
  c.Write("CheckFlag", CheckFlag);
  c.Write("LastError", LastError);
  c.Write("SummeBlz", std::string(SummeBlz.Digits()));
  c.Write("SummeKto", std::string(SummeKto.Digits()));
  c.Write("SummeBetrag", std::string(SummeBetrag.Digits()));
  c.Write("Anzahl", Anzahl);
  c.Write("CurrencyMode", CurrencyMode);  // so that a file in currency mode goes on in it
  c.WriteEnd();
  File.reset();  // no E record: the thawed object writes on
  FileName.clear();
  Probe.reset();
}

std::unique_ptr<TZelBaseObject> TZelDtausObject::Thaw(TByteStream& Stream) {
  auto o = std::make_unique<TZelDtausObject>();
  TContext c(Stream);
  c.ReadAll();
  auto number = [&](const char* key, int fallback) {
    std::int32_t v = 0;
    return ParseInteger(c.GetItem(key), v) ? v : fallback;
  };
  o->Blz = Normalize(c.GetItem("Blz"), 8);
  o->Kto = Normalize(c.GetItem("Kto"), 10);
  o->Name = c.GetItem("Name");
  o->Type = number("Type", 1) == 2 ? 2 : 1;
  o->CheckFlag = c.GetItem("CheckFlag") == "-1";
  o->LastError = c.GetItem("LastError");
  o->SummeBlz.Assign(c.GetItem("SummeBlz"));
  o->SummeKto.Assign(c.GetItem("SummeKto"));
  o->SummeBetrag.Assign(c.GetItem("SummeBetrag"));
  o->Anzahl = number("Anzahl", 0);
  const int mode = number("CurrencyMode", 0);
  o->CurrencyMode = mode >= 0 && mode <= 2 ? mode : 0;
  const std::string file = c.GetItem("FileName");
  if (!file.empty()) {
    o->File.reset(OpenLocked(file, false));
    if (o->File && std::fseek(o->File.get(), 0, SEEK_END) == 0) {
      o->FileName = file;
    } else {
      o->File.reset();
      o->LastError = SystemError();
    }
  }
  return o;
}

}  // namespace zel
