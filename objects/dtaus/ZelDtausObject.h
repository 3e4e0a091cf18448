// DTAUS files: writing credit transfers or direct debits record by record
// (A record, C records, E record with control sums) and checking existing
// files. Registered as "ZelDtausObject". Texts are code page 1252.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "String80.h"
#include "ZelBaseObject.h"

namespace zel {

// Extension parts of a C record: type 1 payee/payer name, 2 purpose, 3 own name.
struct TErweiterungsteile {
  int Count = 0;
  struct Part {
    int Type;
    std::string Text;
  } Parts[15];
};

class TZelDtausObject : public TZelBaseObject {
 public:
  static constexpr const char* kClassName = "ZelDtausObject";

  TZelDtausObject();
  ~TZelDtausObject() override;

  std::string ClassName() const override { return kClassName; }
  void Freeze(TByteStream& Stream) override;
  static std::unique_ptr<TZelBaseObject> Thaw(TByteStream& Stream);
  std::string GetErrorMessage(std::int32_t Code) override;
  std::string GetLastError() override { return LastError; }

  std::int32_t CreateFile(const std::string& Filename, const std::string& Blz,
                          const std::string& Kto, const std::string& Name,
                          const std::string& Number, std::int32_t Type, std::int32_t CheckFlag,
                          std::int32_t DaysAhead) override;
  std::int32_t WriteFile(const std::string& Blz, const std::string& Kto, const std::string& Name,
                         const std::string& Verwend, const std::string& Intern, std::int32_t TS,
                         std::int32_t TSE, Currency Betrag) override;
  std::int32_t CloseFile() override;
  // The number of payments whose account pair fails (listed in the file's
  // name with ".out", written whole or not at all), or -3 unreadable, -431
  // unknown special function, -432 not a DTAUS file, -433 the list may not
  // or could not be written; LastError says why.
  std::int32_t CheckFile(const std::string& Filename) override;

  static TErweiterungsteile GetErweiterungsteile(std::string_view OwnName, std::string_view Name,
                                                 std::string_view Purpose);
  // The DTAUS character set: upper case, umlauts as [ \ ] and ß as ~.
  static std::string Normalize(std::string_view Text);
  // A numeric field: the first `width` digits of the text, zero-padded left.
  static std::string Normalize(std::string_view Text, int Width);

 private:
  struct FileCloser {
    void operator()(std::FILE* f) const;
  };

  int TestPair(const std::string& blz, const std::string& kto);
  bool WriteBytes(const std::string& bytes);
  std::string ARecord(const std::string& number, int daysAhead) const;
  std::string CRecord(const std::string& blz, const std::string& kto, const std::string& name,
                      const std::string& purpose, const std::string& intern, int ts, int tse,
                      std::int64_t cents) const;
  std::string ERecord() const;
  void ResetSums();
  template <typename F>
  int ReadRecords(int fd, F payment);
  int NotDtaus(const std::string& why);
  bool EMatchesSums(const char* e) const;

  std::unique_ptr<TZelBaseObject> Probe;  // the account check object, if registered
  std::unique_ptr<std::FILE, FileCloser> File;
  std::string FileName;
  std::string Blz = "00000000";
  std::string Kto = "0000000000";
  std::string Name;
  int Type = 1;
  bool CheckFlag = false;
  std::string LastError = "Ok";
  TString80 SummeBlz, SummeKto, SummeBetrag;
  int Anzahl = 0;
  int CurrencyMode = 0;
};

}  // namespace zel
