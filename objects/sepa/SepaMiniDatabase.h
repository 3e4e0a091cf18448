// The mandate history of direct debits: per database number ("Mandant") a
// mandate file mandN.db of 256-byte records sorted by customer number, and a
// temporary file tempN.db of the debits written since the last debit file.
// Files are shared as the debit files need them, with advisory locks:
// readers of a mandate file share it, a merge holds it alone, a debit file
// being written holds its temporary file alone. Results are the codes of the
// SEPA object with a German message in LastError (code page 1252).
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "Dates.h"
#include "ShortString.h"
#include "UniqueFd.h"

namespace zel {

#pragma pack(push, 1)
struct TSepaRecord {
  std::int32_t Kunde;
  TShortString<35> MandatRef;
  TShortString<71> CreditorName;
  TShortString<35> CreditorId;
  TShortString<35> Iban;
  TShortString<11> Bic;
  TShortString<35> EndToEndId;
  std::int32_t SeqTp;  // 0 OOFF, 1 FRST, 2 RCUR, 3 FNAL
  double DueDate;
  std::uint8_t Reserved[12];
};
#pragma pack(pop)
static_assert(sizeof(TSepaRecord) == 256);

enum TDetailStatus : std::uint8_t {
  detailNotFound,
  detailFoundUnchanged,
  detailFoundChanged,
  detailCorrupt  // the stored record is not one of ours (Error says which)
};

// What changed against the stored mandate (the amendment details).
struct TDetailRecord {
  TDetailStatus Status = detailNotFound;
  std::string OrgnlMndtId, OrgnlCdtrSchmeNm, OrgnlCdtrSchmeId, OrgnlDbtrAcct, OrgnlDbtrAgt;
  std::string Error;
};

// The texts of a record, as passed to AppendTemp and GetDetailRecord.
struct TMandate {
  std::string MandatRef, CreditorName, CreditorId, Iban, Bic;
};

struct TSortRecord {
  std::int32_t Kunde;
  std::int32_t Index;
};
using TSortArray = std::vector<TSortRecord>;

class TSepaMiniDatabase {
 public:
  explicit TSepaMiniDatabase(std::string directory);

  // mandN.db for N > 0, new0.db for 0, tempN.db for N < 0 (N as its
  // absolute value), in the directory.
  std::string GetDbFileName(int n) const;

  int Open(int n, bool createTemp);
  int OpenMandReadOnly(int n);
  int Close();
  bool GetIsMandOpen() const { return fMand != nullptr; }
  bool GetIsTempOpen() const { return fTemp != nullptr; }
  int MandantNo() const { return fMandantNo; }

  // The record index of a customer in the mandate file (halving search),
  // or -1; the record is filled when found.
  int GetMandRecord(std::int32_t kunde, TSepaRecord& record) const;
  TDetailRecord GetDetailRecord(std::int32_t kunde, const TMandate& m) const;
  int AppendTemp(std::int32_t kunde, const TMandate& m, const std::string& endToEndId, int seqTp,
                 TDateTime dueDate);
  // Many records at once, in large writes.
  int AppendTemp(const std::deque<TSepaRecord>& records);
  // "1:12 2:5": the pending temporary files and their record counts.
  std::string ListTemp() const;

  int ExportToFile(int n, const std::string& fileName);
  int ImportFromFile(int n, const std::string& fileName);
  int MergeTemp(int n);
  static void Sort(TSortArray& a);
  static int ConvertLineToSepaRecord(const std::string& line, TSepaRecord& record,
                                     std::string& error);

  const std::string& LastError() const { return fLastError; }

 private:
  int Fail(int code, std::string message);
  int FailNaming(int code, const char* text, const std::string& file);
  bool DirectoryExists() const;

  std::string fDirectory;
  int fMandantNo = 0;
  std::unique_ptr<TUniqueFd> fMand;
  std::unique_ptr<TUniqueFd> fTemp;
  std::string fLastError;
};

// A record of the history's files.
TSepaRecord MakeSepaRecord(std::int32_t kunde, const TMandate& m, const std::string& endToEndId,
                           int seqTp, TDateTime dueDate);
// What is wrong with a stored record ("IBAN"), or nothing.
std::string CheckSepaRecord(const TSepaRecord& r);
// A record as a 242-character export line (without CR LF).
std::string SepaRecordToLine(const TSepaRecord& r);

}  // namespace zel
