#include "SepaMiniDatabase.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <unordered_map>

#include "AtomicFile.h"
#include "BankUtil.h"
#include "Cp1252.h"
#include "MiniUtils.h"

namespace zel {
namespace {

constexpr std::size_t kRecord = sizeof(TSepaRecord);
constexpr std::size_t kLine = 242;
// A mandate file of more than a million customers is no mandate file of ours.
constexpr off_t kMaxFileSize = off_t{1 << 20} * kRecord;

std::string T(const char* utf8) { return Utf8ToCp1252(utf8); }
std::string SystemError() { return std::strerror(errno); }

using TFd = std::unique_ptr<TUniqueFd>;

// Opens a database file without following links and takes its advisory lock
// (LOCK_SH or LOCK_EX) without waiting; a file replaced while we waited for
// the lock is opened again, so a reader never holds a file a merge replaced.
TFd OpenLocked(const std::string& path, int flags, int lock) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    TFd fd = std::make_unique<TUniqueFd>(
        ::open(path.c_str(), flags | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0600));
    if (fd->fd < 0) return nullptr;
    struct stat opened {
    }, named{};
    if (::fstat(fd->fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
      errno = EINVAL;
      return nullptr;
    }
    if (::flock(fd->fd, lock | LOCK_NB) != 0) {
      errno = EBUSY;
      return nullptr;
    }
    if (::stat(path.c_str(), &named) == 0 && named.st_ino == opened.st_ino &&
        named.st_dev == opened.st_dev)
      return fd;
  }
  errno = EBUSY;
  return nullptr;
}

bool ReadRecord(int fd, std::size_t index, TSepaRecord& r) {
  return ::pread(fd, &r, kRecord, static_cast<off_t>(index * kRecord)) ==
         static_cast<ssize_t>(kRecord);
}

std::size_t RecordCount(int fd) {
  struct stat st {};
  return ::fstat(fd, &st) == 0 ? static_cast<std::size_t>(st.st_size) / kRecord : 0;
}

bool FileExists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

// All records of a file, bounded in size; false with errno set.
bool ReadAll(int fd, std::vector<TSepaRecord>& records) {
  const std::size_t n = RecordCount(fd);
  if (static_cast<off_t>(n * kRecord) > kMaxFileSize) {
    errno = EFBIG;
    return false;
  }
  records.resize(n);
  for (std::size_t i = 0; i < n; ++i)
    if (!ReadRecord(fd, i, records[i])) return false;
  return true;
}

// Whether a stored text is one we wrote: its length within its area and
// printable characters only (letters and digits only for IBAN and BIC).
template <std::size_t N>
bool SoundText(const TShortString<N>& s, bool alphanumeric) {
  if (s.Len > N) return false;
  for (const char c : s.View()) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x20 || b == 0x7F) return false;
    if (alphanumeric && !((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
  }
  return true;
}

// The BIC of a bank without its branch code "XXX": "BELADEBE" and
// "BELADEBEXXX" are the same bank.
std::string_view BankOfBic(std::string_view bic) {
  return bic.size() == 11 && bic.substr(8) == "XXX" ? bic.substr(0, 8) : bic;
}

std::string_view Field(const std::string& line, std::size_t from, std::size_t width) {
  return std::string_view(line).substr(from - 1, width);
}

}  // namespace

// What is wrong with a record, or nothing.
std::string CheckSepaRecord(const TSepaRecord& r) {
  if (!SoundText(r.MandatRef, false)) return "Mandatsreferenz";
  if (!SoundText(r.CreditorName, false)) return T("Gläubigername");
  if (!SoundText(r.CreditorId, false)) return T("Gläubiger-ID");
  if (!SoundText(r.Iban, true)) return "IBAN";
  if (!SoundText(r.Bic, true)) return "BIC";
  if (!SoundText(r.EndToEndId, false)) return "Referenz";
  if (r.SeqTp < 0 || r.SeqTp > 3) return "Sequenztyp";
  if (!(r.DueDate >= 0 && r.DueDate < 3e6)) return T("Fälligkeitsdatum");
  return {};
}

TSepaMiniDatabase::TSepaMiniDatabase(std::string directory) : fDirectory(std::move(directory)) {}

std::string TSepaMiniDatabase::GetDbFileName(int n) const {
  const char* prefix = n > 0 ? "mand" : n < 0 ? "temp" : "new";
  const long number = n < 0 ? -static_cast<long>(n) : n;
  return fDirectory + "/" + prefix + std::to_string(number) + ".db";
}

int TSepaMiniDatabase::Fail(int code, std::string message) {
  fLastError = std::move(message);
  return code;
}

int TSepaMiniDatabase::FailNaming(int code, const char* text, const std::string& file) {
  return Fail(code, T(text) + "\"" + file + "\": " + SystemError());
}

bool TSepaMiniDatabase::DirectoryExists() const {
  struct stat st {};
  return ::stat(fDirectory.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

int TSepaMiniDatabase::Open(int n, bool createTemp) {
  if (fMand || fTemp) return Fail(183, T("Es ist bereits eine Datenbank geöffnet"));
  const std::string mand = GetDbFileName(n), temp = GetDbFileName(-n);
  const int created = ::open(mand.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (created < 0) return FailNaming(82, "Fehler beim Anlegen der Mandanten-Datenbank ", mand);
  ::close(created);
  fMand = OpenLocked(mand, O_RDONLY, LOCK_SH);
  if (!fMand) return FailNaming(110, "Fehler beim Öffnen der Mandanten-Datenbank ", mand);
  fMandantNo = n;
  fTemp = OpenLocked(temp, O_WRONLY | O_CREAT | O_APPEND, LOCK_EX);
  // Debits of an earlier file that are not yet merged would give this
  // file's debits wrong sequence types and would be lost with the file:
  // they are merged or dropped first. Checked under the lock, so no other
  // process can add some in between.
  if (fTemp && createTemp && RecordCount(fTemp->fd) > 0) {
    const std::string m = std::to_string(n);
    fTemp.reset();
    fMand.reset();
    fMandantNo = 0;
    return Fail(183, T("Für Mandant ") + m +
                         T(" liegen noch vorgemerkte Lastschriften einer früheren Datei vor; "
                           "erst übernehmen (zel mandates merge --mandant ") +
                         m + T(") oder verwerfen (zel mandates delete-temp --mandant ") + m + ")");
  }
  if (!fTemp) {
    const int code = FailNaming(createTemp ? 82 : 110,
                                createTemp ? "Fehler beim Anlegen der temporären Datenbank "
                                           : "Fehler beim Öffnen der temporären Datenbank ",
                                temp);
    fMand.reset();
    fMandantNo = 0;
    return code;
  }
  fLastError.clear();
  return 0;
}

int TSepaMiniDatabase::OpenMandReadOnly(int n) {
  if (fMand)
    return Fail(183, T("Es ist bereits die Mandantendatenbank Nr. ") + std::to_string(fMandantNo) +
                         T(" geöffnet"));
  const std::string mand = GetDbFileName(n);
  fMand = OpenLocked(mand, O_RDONLY, LOCK_SH);
  if (!fMand) return FailNaming(110, "Fehler beim Öffnen der Mandanten-Datenbank ", mand);
  fMandantNo = n;
  fLastError.clear();
  return 0;
}

int TSepaMiniDatabase::Close() {
  int code = 0;
  fLastError.clear();
  if (fMand) {
    fMand.reset();
  } else {
    fLastError = T("Keine Mandanten-Datenbank geöffnet");
    code = 6;
  }
  if (fTemp) {
    fTemp.reset();
  } else {
    fLastError += (fLastError.empty() ? "" : " / ") + T("Keine temporäre Datenbank geöffnet");
    code = 6;
  }
  fMandantNo = 0;
  return code;
}

int TSepaMiniDatabase::GetMandRecord(std::int32_t kunde, TSepaRecord& record) const {
  if (!fMand) return -1;
  long lo = 0, hi = static_cast<long>(RecordCount(fMand->fd)) - 1;
  while (lo <= hi) {
    const long mid = (lo + hi) / 2;
    if (!ReadRecord(fMand->fd, static_cast<std::size_t>(mid), record)) record.Kunde = -123456;
    if (record.Kunde == kunde) return static_cast<int>(mid);
    if (kunde < record.Kunde)
      hi = mid - 1;
    else
      lo = mid + 1;
  }
  return -1;
}

TDetailRecord TSepaMiniDatabase::GetDetailRecord(std::int32_t kunde, const TMandate& m) const {
  TDetailRecord d;
  TSepaRecord r;
  const int index = GetMandRecord(kunde, r);
  if (index < 0) return d;
  if (const std::string what = CheckSepaRecord(r); !what.empty()) {
    d.Status = detailCorrupt;
    d.Error = T("Die Mandantenhistorie ") + GetDbFileName(fMandantNo) +
              T(" ist beschädigt: Satz ") + std::to_string(index + 1) + " (Kunde " +
              std::to_string(kunde) + T(") hat eine ungültige ") + what;
    return d;
  }
  d.Status = detailFoundUnchanged;
  auto differs = [&](const auto& stored, const std::string& given, std::string& detail,
                     std::string value) {
    if (stored.View() == given) return;
    d.Status = detailFoundChanged;
    detail = std::move(value);
  };
  differs(r.MandatRef, m.MandatRef, d.OrgnlMndtId, std::string(r.MandatRef.View()));
  differs(r.CreditorName, m.CreditorName, d.OrgnlCdtrSchmeNm, std::string(r.CreditorName.View()));
  differs(r.CreditorId, m.CreditorId, d.OrgnlCdtrSchmeId, std::string(r.CreditorId.View()));
  if (BankOfBic(r.Bic.View()) != BankOfBic(m.Bic))
    differs(r.Bic, m.Bic, d.OrgnlDbtrAgt, "SMNDA");  // same mandate, new debtor agent
  else
    differs(r.Iban, m.Iban, d.OrgnlDbtrAcct, std::string(r.Iban.View()));
  return d;
}

int TSepaMiniDatabase::AppendTemp(std::int32_t kunde, const TMandate& m,
                                  const std::string& endToEndId, int seqTp, TDateTime dueDate) {
  return AppendTemp(std::deque<TSepaRecord>{MakeSepaRecord(kunde, m, endToEndId, seqTp, dueDate)});
}

int TSepaMiniDatabase::AppendTemp(const std::deque<TSepaRecord>& records) {
  if (!fTemp)
    return Fail(6, T("Fehler beim Schreiben: Die temporäre Datenbank ist nicht geöffnet"));
  constexpr std::size_t kBatch = 256;  // records a write
  std::string buffer;
  for (std::size_t i = 0; i < records.size();) {
    buffer.clear();
    for (std::size_t k = 0; k < kBatch && i < records.size(); ++k, ++i)
      buffer.append(reinterpret_cast<const char*>(&records[i]), kRecord);
    if (::write(fTemp->fd, buffer.data(), buffer.size()) != static_cast<ssize_t>(buffer.size()))
      return Fail(29, "Fehler beim Schreiben: " + SystemError());
  }
  fLastError.clear();
  return 0;
}

TSepaRecord MakeSepaRecord(std::int32_t kunde, const TMandate& m, const std::string& endToEndId,
                           int seqTp, TDateTime dueDate) {
  TSepaRecord r;
  std::memset(&r, 0, kRecord);
  r.Kunde = kunde;
  r.MandatRef.Assign(m.MandatRef);
  r.CreditorName.Assign(m.CreditorName);
  r.CreditorId.Assign(m.CreditorId);
  r.Iban.Assign(m.Iban);
  r.Bic.Assign(m.Bic);
  r.EndToEndId.Assign(endToEndId);
  r.SeqTp = seqTp;
  r.DueDate = dueDate;
  return r;
}

std::string TSepaMiniDatabase::ListTemp() const {
  std::string list;
  std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(fDirectory.c_str()), ::closedir);
  if (!dir) return list;
  while (const dirent* e = ::readdir(dir.get())) {
    const std::string name = e->d_name;
    if (name.size() < 8 || name.rfind("temp", 0) != 0 || name.substr(name.size() - 3) != ".db")
      continue;
    struct stat st {};
    if (::lstat((fDirectory + "/" + name).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
    list += (list.empty() ? "" : " ") + name.substr(4, name.size() - 7) + ":" +
            std::to_string(st.st_size / static_cast<off_t>(kRecord));
  }
  return list;
}

// ---------------------------------------------------------------------------
// Export and import

std::string SepaRecordToLine(const TSepaRecord& r) {
  using MiniUtils::Ausgleich;
  std::string line = Ausgleich(std::to_string(r.Kunde), 10);
  line += Ausgleich(r.MandatRef.View(), 35) + Ausgleich(r.CreditorName.View(), 70);
  line += Ausgleich(r.CreditorId.View(), 35) + Ausgleich(r.Iban.View(), 34);
  line += Ausgleich(r.Bic.View(), 11) + Ausgleich(r.EndToEndId.View(), 35);
  line += std::to_string(r.SeqTp >= 0 && r.SeqTp <= 3 ? r.SeqTp : 0);
  line += r.DueDate > 0 && r.DueDate < 3e6 ? DateToIso(r.DueDate) : std::string(10, ' ');
  return line + "$";
}

int TSepaMiniDatabase::ExportToFile(int n, const std::string& fileName) {
  if (!DirectoryExists()) return Fail(3, "Das Verzeichnis " + fDirectory + " existiert nicht");
  const std::string db = GetDbFileName(n);
  if (!FileExists(db)) return Fail(2, "Die Datei " + db + " existiert nicht");
  TFd in = OpenLocked(db, O_RDONLY, LOCK_SH);
  if (!in) return Fail(110, T("Fehler beim Öffnen der Datenbankdatei: ") + SystemError());
  TAtomicFile out(fileName, 0600);  // the history is private
  std::string reason;
  if (!IsSafeOutputTarget(fileName, db, reason) || !out.Open(reason))
    return Fail(82, "Textdatei " + fileName + " kann nicht angelegt werden: " + reason);
  int code = 0;
  const std::size_t count = RecordCount(in->fd);
  TSepaRecord r;
  for (std::size_t i = 0; i < count; ++i) {
    if (!ReadRecord(in->fd, i, r)) {
      code = Fail(30, "Datenbank-Lesefehler: " + SystemError());
      continue;
    }
    out.Write(SepaRecordToLine(r) + "\r\n");
  }
  if (!out.Commit(reason)) code = Fail(29, "Textdatei-Schreibfehler: " + reason);
  if (code == 0) fLastError.clear();
  return code;
}

// The start of a line for a message: control bytes as \xNN, at most 60
// characters.
std::string Shown(std::string_view line) {
  std::string out;
  for (const char c : line.substr(0, 60)) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x20 || b == 0x7F) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", b);
      out += hex;
    } else {
      out += c;
    }
  }
  return line.size() > 60 ? out + "..." : out;
}

int TSepaMiniDatabase::ConvertLineToSepaRecord(const std::string& line, TSepaRecord& r,
                                               std::string& error) {
  std::memset(&r, 0, kRecord);
  if (line.size() != kLine)
    return error = T("Zeilenlänge ist nicht 242 Zeichen: ") + Shown(line), 13;
  if (line[kLine - 1] != '$') return error = "Fehlendes Zeilenendezeichen '$': " + Shown(line), 13;
  const std::string kunde = MiniUtils::Trim(Field(line, 1, 10));
  std::int64_t k = 0;
  bool number = !kunde.empty() && kunde.size() <= 11;
  for (std::size_t i = 0; number && i < kunde.size(); ++i)
    number =
        (kunde[i] >= '0' && kunde[i] <= '9') || (i == 0 && kunde[i] == '-' && kunde.size() > 1);
  if (number) k = std::stoll(kunde);
  if (!number || k < INT32_MIN || k > INT32_MAX)
    return error = T("Ungültige Kundennummer ") + kunde + ": keine ganze Zahl", 13;
  r.Kunde = static_cast<std::int32_t>(k);
  auto text = [&](std::size_t from, std::size_t width) {
    return MiniUtils::Trim(Field(line, from, width));
  };
  r.MandatRef.Assign(BankUtil::ConvertToSepaChars(text(11, 35), false));
  r.CreditorName.Assign(BankUtil::ConvertToSepaChars(text(46, 70), true));
  r.CreditorId.Assign(BankUtil::ConvertToSepaChars(text(116, 35), false));
  r.Iban.Assign(BankUtil::ConvertToIbanBic(text(151, 34), false));
  r.Bic.Assign(BankUtil::ConvertToIbanBic(text(185, 11), false));
  r.EndToEndId.Assign(BankUtil::ConvertToSepaChars(text(196, 35), true));
  const char seq = line[230];
  if (seq < '0' || seq > '9')
    return error = T("Ungültiger Sequenztyp: ") + seq + ": keine Zahl", 13;
  if (seq > '3')
    return error = T("Ungültiger Sequenztyp: ") + seq + " (muss zwischen 0 und 3 liegen)", 13;
  r.SeqTp = seq - '0';
  r.DueDate = BankUtil::ConvertSepaDateToDate(Field(line, 232, 10));
  return 0;
}

// The database file is replaced only by a complete import.
int TSepaMiniDatabase::ImportFromFile(int n, const std::string& fileName) {
  if (!DirectoryExists()) return Fail(3, "Das Verzeichnis " + fDirectory + " existiert nicht");
  if (!FileExists(fileName)) return Fail(2, "Textdatei " + fileName + " existiert nicht");
  std::ifstream in(fileName, std::ios::binary);
  if (!in)
    return Fail(30, "Textdatei " + fileName + " kann nicht gelesen werden: " + SystemError());
  std::string line, error;
  std::vector<TSepaRecord> list;
  TSepaRecord r;
  long number = 0;
  // Lines are read up to a bound: a file of endless bytes ends the import
  // at its first line instead of filling the memory.
  constexpr std::size_t kMaxRead = 4 * kLine;
  for (;;) {
    line.clear();
    int ch = 0;
    while ((ch = in.get()) != EOF && ch != '\n' && line.size() <= kMaxRead)
      line += static_cast<char>(ch);
    if (ch == EOF && line.empty()) break;
    ++number;
    if (line.size() > kMaxRead)
      return Fail(
          13, "Zeile " + std::to_string(number) + T(": länger als 242 Zeichen: ") + Shown(line));
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() && in.peek() == EOF) break;
    if (ConvertLineToSepaRecord(line, r, error) != 0)
      return Fail(13, "Zeile " + std::to_string(number) + ": " + error);
    if (static_cast<off_t>(list.size() * kRecord) >= kMaxFileSize)
      return Fail(13, "Textdatei " + fileName + T(" ist zu groß"));
    list.push_back(r);
  }
  // The history is searched by halving: sorted by customer, each once.
  std::sort(list.begin(), list.end(),
            [](const TSepaRecord& a, const TSepaRecord& b) { return a.Kunde < b.Kunde; });
  for (std::size_t i = 1; i < list.size(); ++i)
    if (list[i].Kunde == list[i - 1].Kunde)
      return Fail(13, "Textdatei " + fileName + ": Kunde " + std::to_string(list[i].Kunde) +
                          T(" kommt mehrfach vor"));
  const std::string records(reinterpret_cast<const char*>(list.data()), list.size() * kRecord);
  const std::string db = GetDbFileName(n);
  TFd lock = FileExists(db) ? OpenLocked(db, O_RDONLY, LOCK_EX) : nullptr;
  if (FileExists(db) && !lock) return FailNaming(110, "Fehler beim Öffnen der Datenbankdatei ", db);
  std::string reason;
  if (!WriteFileAtomically(db, records, reason, 0600))
    return Fail(82, "Datenbankdatei " + db + " kann nicht angelegt werden: " + reason);
  fLastError.clear();
  return 0;
}

// ---------------------------------------------------------------------------
// Merge

void TSepaMiniDatabase::Sort(TSortArray& a) {
  std::sort(a.begin(), a.end(),
            [](const TSortRecord& x, const TSortRecord& y) { return x.Kunde < y.Kunde; });
}

// The history with the temporary records applied: a known customer's record
// is replaced, a new one added (a final one not), then the file is written
// sorted without final records. The new history is complete and on disk
// before it replaces the old one, and the temporary file goes only after
// that, so a crash at any point leaves the old or the new history and the
// merge can simply be run again.
int TSepaMiniDatabase::MergeTemp(int n) {
  if (n <= 0) return Fail(160, T("Die Nummer der Mandanten-Datenbank muss größer als 0 sein"));
  const std::string mand = GetDbFileName(n), temp = GetDbFileName(-n);
  TFd mandFd = OpenLocked(mand, O_RDWR, LOCK_EX);
  if (!mandFd) return FailNaming(110, "Fehler beim Öffnen der Mandanten-Datenbank ", mand);
  // The pending file is held alone until it is deleted, so no debit file
  // can add to it in between and lose its debits with it.
  TFd tempFd = OpenLocked(temp, O_RDONLY, LOCK_EX);
  if (!tempFd) return FailNaming(110, "Fehler beim Öffnen der temporären Datenbank ", temp);
  std::vector<TSepaRecord> history, pending;
  if (!ReadAll(mandFd->fd, history) || !ReadAll(tempFd->fd, pending))
    return Fail(30, "Fehler beim Lesen der Datenbank: " + SystemError());
  for (const auto* file : {&history, &pending})
    for (std::size_t i = 0; i < file->size(); ++i)
      if (const std::string what = CheckSepaRecord((*file)[i]); !what.empty())
        return Fail(13, "Die Datei " + (file == &history ? mand : temp) +
                            T(" ist beschädigt: Satz ") + std::to_string(i + 1) +
                            T(" hat eine ungültige ") + what + T("; nichts wurde geändert"));
  std::unordered_map<std::int32_t, std::size_t> where;
  for (std::size_t i = 0; i < history.size(); ++i) where.emplace(history[i].Kunde, i);
  for (const TSepaRecord& r : pending) {
    const auto it = where.find(r.Kunde);
    if (it != where.end()) {
      history[it->second] = r;
    } else if (r.SeqTp != 3) {
      where.emplace(r.Kunde, history.size());
      history.push_back(r);
    }
  }
  TSortArray order;
  for (std::size_t i = 0; i < history.size(); ++i)
    order.push_back({history[i].Kunde, static_cast<std::int32_t>(i)});
  Sort(order);
  std::string bytes;
  for (const TSortRecord& s : order)
    if (history[static_cast<std::size_t>(s.Index)].SeqTp != 3)
      bytes.append(reinterpret_cast<const char*>(&history[static_cast<std::size_t>(s.Index)]),
                   kRecord);
  std::string reason;
  if (!WriteFileAtomically(mand, bytes, reason, 0600))
    return Fail(29, "Fehler beim Schreiben der Mandantendatenbank: " + reason);
  if (::unlink(temp.c_str()) != 0)
    return Fail(5, "Merge OK, aber die temporäre Datenbank kann nicht gelöscht werden");
  fLastError.clear();
  return 0;
}

}  // namespace zel
