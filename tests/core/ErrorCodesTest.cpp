#include <gtest/gtest.h>

#include "ErrorCodes.h"
#include "Latin1.h"

namespace {

using zel::GetErrorMessage;
using zeltest::Utf8;

TEST(GetErrorMessage, BaseCodes) {
  struct Case {
    int code;
    const char* text;
  };
  const Case cases[] = {
      {-999, "Datendatei ist nicht geladen und konnte auch nicht geladen werden"},
      {-300, "Server lieferte keine auswertbaren Daten zurück"},
      {-200, "Verbindung zum Server konnte nicht hergestellt werden"},
      {-3, "Bank existiert nicht mehr; Nachfolge-BLZ bekannt"},
      {-2, "Bank existiert nicht mehr; keine Nachfolge-BLZ bekannt"},
      {-1, "Bank existiert nicht"},
      {0, "Ok"},
      {1, "Unbekanntes Prüfzifferverfahren"},
      {2, "Prüfzifferverfahren nicht implementiert"},
      {3, "Diese Bank verwendet keine Prüfziffern"},
      {4, "Prüfung bei dieser speziellen Kontonummer nicht möglich"},
      {11, "Kontonummer ist zu lang (maximal zehn Stellen)"},
      {12, "Kontonummer darf nur Ziffern enthalten"},
      {13, "Kontonummer ist ungültig (falsche Prüfziffer)"},
      {14, "Kontonummer darf nicht null sein"},
      {15, "Falsche Kontoartenziffer"},
      {16, "Kontonummer muss genau acht Stellen lang sein"},
      {17, "Kontonummer muss genau neun Stellen lang sein"},
      {18, "Kontonummer muss genau sieben Stellen lang sein"},
      {19, "Kontonummer muss entweder acht oder zehn Stellen lang sein"},
      {20, "Kontonummer muss genau zehn Stellen lang sein"},
      {21, "Kontonummer muss entweder sieben oder acht Stellen lang sein"},
      {22, "IBAN-Prüfzifferfehler"},
      {23, "Blacklist"},
      {24, "IBAN-Ermittlung nicht möglich"},
  };
  for (const Case& c : cases) EXPECT_EQ(Utf8(GetErrorMessage(c.code)), c.text) << c.code;
}

TEST(GetErrorMessage, TextsAreCodePage1252) {
  // ü is one byte, 0xFC, not the two bytes of UTF-8.
  EXPECT_EQ(GetErrorMessage(13),
            "Kontonummer ist ung\xfcltig (falsche Pr\xfc"
            "fziffer)");
}

TEST(GetErrorMessage, DeletionNotes) {
  EXPECT_EQ(Utf8(GetErrorMessage(113)),
            "Kontonummer ist ungültig (falsche Prüfziffer); BLZ wird demnächst ungültig; keine "
            "Nachfolge-BLZ bekannt");
  EXPECT_EQ(Utf8(GetErrorMessage(213)),
            "Kontonummer ist ungültig (falsche Prüfziffer); BLZ wird demnächst ungültig; "
            "Nachfolge-BLZ bekannt");
  EXPECT_EQ(Utf8(GetErrorMessage(100)),
            "Ok; BLZ wird demnächst ungültig; keine Nachfolge-BLZ bekannt");
  EXPECT_EQ(Utf8(GetErrorMessage(204)),
            "Prüfung bei dieser speziellen Kontonummer nicht möglich; BLZ wird demnächst ungültig; "
            "Nachfolge-BLZ bekannt");
}

TEST(GetErrorMessage, UnknownCodes) {
  EXPECT_EQ(GetErrorMessage(7), "Unbekannter Fehlercode Nr. 7");
  EXPECT_EQ(GetErrorMessage(10), "Unbekannter Fehlercode Nr. 10");
  EXPECT_EQ(GetErrorMessage(25), "Unbekannter Fehlercode Nr. 25");
  EXPECT_EQ(
      Utf8(GetErrorMessage(150)),
      "Unbekannter Fehlercode Nr. 50; BLZ wird demnächst ungültig; keine Nachfolge-BLZ bekannt");
  EXPECT_EQ(GetErrorMessage(-1000), "Unbekannter Fehlercode Nr. -1000");
  EXPECT_EQ(GetErrorMessage(-4), "Unbekannter Fehlercode Nr. -4");
  EXPECT_EQ(Utf8(GetErrorMessage(2147483647)),
            "Unbekannter Fehlercode Nr. 2147483447; BLZ wird demnächst ungültig; Nachfolge-BLZ "
            "bekannt");
  EXPECT_EQ(GetErrorMessage(-2147483647 - 1), "Unbekannter Fehlercode Nr. -2147483648");
}

}  // namespace
