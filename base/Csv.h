// Separated values as the batch check reads them (TCSV): a field in double
// quotes may hold separators and span lines (each line break a blank);
// quote characters never reach a field. Records are written back quoted,
// joined by the separator last met. And the batch check of bank
// connections over such a file, streaming.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Proxies.h"
#include "ZelExport.h"

namespace zel {

// The records of a text file as read, before they are split: lines,
// and a line whose quotes are still open joined to the next by a blank.
class ZELBASE_API TCsvRecords {
 public:
  // Throws std::runtime_error with the system's message when it cannot open.
  explicit TCsvRecords(const std::string& fileName);
  ~TCsvRecords();
  TCsvRecords(const TCsvRecords&) = delete;
  TCsvRecords& operator=(const TCsvRecords&) = delete;

  // Appends the next record's text to `text`; false at the end.
  bool AppendNext(std::string& text);
  std::uint64_t Position() const { return fPosition; }
  bool HadByteOrderMark() const { return fBom; }

 private:
  bool AppendLine(std::string& text);
  bool Fill();

  std::FILE* fFile;
  std::vector<char> fBuffer;
  std::size_t fPos = 0, fEnd = 0;
  std::uint64_t fPosition = 0;
  bool fBom = false;
};

class ZELBASE_API TCSV {
 public:
  // Opens the file; separator 0: tab, comma and semicolon all separate.
  // Throws std::runtime_error with the system's message when it cannot.
  TCSV(const std::string& fileName, char separator);
  ~TCSV();
  TCSV(const TCSV&) = delete;
  TCSV& operator=(const TCSV&) = delete;

  std::string GetField(int index) const;
  int FieldCount() const { return static_cast<int>(fFields.size()); }
  void AddField(const std::string& field) { fFields.push_back(field); }
  std::string GetLine() const;
  void ReadNext();
  bool AtEnd() const { return fEnd; }
  // Bytes read so far (for progress).
  std::uint64_t Position() const { return fRecords.Position(); }
  // Whether the file began with a UTF-8 byte-order mark (it is skipped).
  bool HadByteOrderMark() const { return fRecords.HadByteOrderMark(); }

  // The encoding of a file as far as a check can tell: UTF-8 when it has a
  // byte-order mark, or letters beyond ASCII that are all well-formed
  // UTF-8; else Windows-1252 (as German spreadsheets save). False when
  // the file cannot be read.
  static bool IsUtf8File(const std::string& fileName, bool& utf8);

 private:
  TCsvRecords fRecords;
  std::string fText;
  std::vector<std::string> fFields;
  bool fEnd = false;
  char fOutputSeparator = ',';
  char fSeparator;
};

struct TCsvBatch {
  std::string input, output;  // output empty: the input's name with ".out"
  char separator = ',';
  int blzColumn = 13, ktoColumn = 12;  // 1-based
  bool append = false;
  // Cores to use for a large file (about 100,000 records and more); the
  // output is the same as on one.
  int jobs = 1;
  // Called now and then with the bytes read; false cancels.
  std::function<bool(std::uint64_t)> progress;
};

struct TCsvBatchResult {
  enum { kDone, kNoInput, kNoOutput, kCancelled } status = kDone;
  std::string output, message;  // message: the reason (UTF-8)
  long checked = 0, errors = 0;
};

// The batch check: report mode writes the records with errors and their
// texts, append mode every checked record with its code, IBAN and BIC. The
// output (CR LF lines) replaces an older file only when complete, in the
// input's encoding throughout: UTF-8 (with the input's byte-order mark, if
// it had one) or Windows-1252.
ZELBASE_API TCsvBatchResult CsvBatchCheck(TProxyZelProbeObject& probe, const TCsvBatch& job);

}  // namespace zel
