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

#include "Dates.h"

namespace zel {

using TAmount = std::int64_t;  // 1/10000

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

struct TStatementRecord {
  int Nr = 0;
  std::string Blz, Konto;
  int AuszugNr = 0;
  TDateTime AnfangDatum = 0;
  std::string AnfangWaehrung;
  TAmount AnfangBetrag = 0;
  TDateTime EndDatum = 0;
  std::string EndWaehrung;
  TAmount EndBetrag = 0;
  int UserId = 0;
};

struct TTransactionRecord {
  int Nr = 0, AuszugNr = 0;
  TDateTime Valuta = 0, Buchung = 0;
  TAmount Betrag = 0;
  std::string OrigWaehrung;
  TAmount OrigBetrag = 0;
  int Gvc = 0;
  std::string Buchungstext, Primanota, GegenBlz, GegenKonto, GegenName, Verwendung;
  int TextSchluesselErg = 0;
  int UserId = 0;
};

// Reads the fields of one file in order. Feed answers what a field
// completed; the records hold the values read so far. A balance that
// cannot be read throws std::runtime_error.
class TMt940Grammar {
 public:
  enum TEvent { evNone, evStatementStart, evStatementDone, evTransaction };

  TEvent Feed(const std::string& field);
  TStatementRecord Statement;
  TTransactionRecord Transaction;

 private:
  void ReadBalance(const std::string& field, TDateTime& date, std::string& currency,
                   TAmount& amount) const;
  void ReadBooking(const std::string& details);
  void ReadDetails(const std::string& field);

  bool fContinuation = false;
  std::string fBookingLine;
};

// "1234,56" (or "." as separator) in 1/10000; false when it is no number.
bool ParseMt940Amount(const std::string& text, TAmount& amount);

}  // namespace zel
