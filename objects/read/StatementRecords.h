// What the statement readers (MT940, camt) produce: statement and booking
// rows, and a statement complete with its bookings.
#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "Dates.h"

namespace zel {

using TAmount = std::int64_t;  // 1/10000

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

// One statement with its bookings, handed on once it is complete.
struct TStatementBatch {
  TStatementRecord Statement;
  std::vector<TTransactionRecord> Bookings;
};

// What a reader tells besides its statements.
struct TReadNotes {
  int Pending = 0;                   // entries not booked yet, left out
  std::vector<std::string> Notices;  // UTF-8
};

// Takes a complete statement; false stops the reading.
using TStatementSink = std::function<bool(TStatementBatch&)>;

// A file that cannot be read as statements (not the format it seems to
// be, damaged, too large).
struct TStatementFileError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// A text cut to at most n characters: UTF-8 letters count as one and are
// never cut in half; other texts count bytes.
std::string CutCharacters(const std::string& text, std::size_t n);

}  // namespace zel
