// MT940 statements: the file read field by field (a tag line with its
// continuation lines, ":NS:" translated into ":86:"), and the grammar that
// turns the fields into statement and booking records.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "StatementRecords.h"

namespace zel {

class TMT940 {
 public:
  // Opens the file (a regular file); throws std::runtime_error with the
  // reason when it cannot. Translation: pairs "22=20,23=21".
  TMT940(const std::string& fileName, const std::string& translation);

  // The next field, "-" at the end of a message, empty at the end of the file.
  std::string GetNextLine();

 private:
  std::string Assemble();
  bool ReadLine(std::string& line);
  std::string Translate(const std::string& ns) const;

  std::unique_ptr<std::FILE, int (*)(std::FILE*)> fFile;
  std::string fPending;
  std::vector<std::pair<std::string, std::string>> fPairs;
};

// Reads the fields of one file in order and hands on each statement once
// its closing balance is read. A ":86:" belongs to the ":61:" before it; a
// ":61:" without one is a booking too. A balance that cannot be read
// throws std::runtime_error, and so does an MT942 file (pre-advices, no
// statement of booked entries).
class TMt940Grammar {
 public:
  explicit TMt940Grammar(TStatementSink sink) : fSink(std::move(sink)) {}

  void Feed(const std::string& field);
  // The end of the file: false with the reason when its last statement
  // has no closing balance (nothing of it was handed on).
  bool Finish(std::string& error);

 private:
  void ReadBalance(const std::string& field, TDateTime& date, std::string& currency,
                   TAmount& amount) const;
  // The pending booking line with its details (none: a ":61:" alone).
  void Book(const std::string& details);
  void ReadDetails(TTransactionRecord& t, const std::string& booking,
                   const std::string& field) const;

  TStatementSink fSink;
  TStatementBatch fBatch;
  bool fOpen = false;  // a statement has begun and is not handed on yet
  bool fContinuation = false;
  bool fStopped = false;
  std::string fBookingLine;  // a ":61:" whose ":86:" has not come yet
};

// Every statement of an MT940 file to sink. Throws std::runtime_error when
// the file cannot be opened or read (see TMt940Grammar); the notes say
// what was left out.
void ReadMt940File(const std::string& fileName, const std::string& translation,
                   const TStatementSink& sink, TReadNotes& notes);

// "1234,56" (or "." as separator) in 1/10000; false when it is no number.
bool ParseMt940Amount(const std::string& text, TAmount& amount);

}  // namespace zel
