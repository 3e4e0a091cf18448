// What the SEPA file tests share: an independent schema check of written
// files (a Xerces DOM parse against the schema files of objects/data/xsd)
// and a SEPA object (version 2.6) on a fixed Friday, 11:00, with its mandate files in the
// test's directory.
#pragma once

#include <filesystem>
#include <string>
#include <xercesc/parsers/XercesDOMParser.hpp>
#include <xercesc/sax/HandlerBase.hpp>
#include <xercesc/util/PlatformUtils.hpp>

#include "../TempDir.h"
#include "DataModuleSepa.h"
#include "ZelSepaObject.h"

namespace zeltest {

// Keeps Xerces initialised while an instance lives.
struct XercesUse {
  XercesUse() { xercesc::XMLPlatformUtils::Initialize(); }
  ~XercesUse() { xercesc::XMLPlatformUtils::Terminate(); }
};

// The number of schema errors Xerces finds in the file.
inline int SchemaErrors(const std::filesystem::path& file, const std::string& pain) {
  using namespace xercesc;
  XercesUse xerces;
  XercesDOMParser parser;
  parser.setValidationScheme(XercesDOMParser::Val_Always);
  parser.setDoNamespaces(true);
  parser.setDoSchema(true);
  const std::string ns = "urn:iso:std:iso:20022:tech:xsd:pain." + pain + " " + ZEL_DATA_DIR +
                         "/xsd/pain." + pain + ".xsd";
  XMLCh* location = XMLString::transcode(ns.c_str());
  parser.setExternalSchemaLocation(location);
  XMLString::release(&location);
  HandlerBase handler;  // counts, does not throw on errors
  parser.setErrorHandler(&handler);
  parser.parse(file.c_str());
  return static_cast<int>(parser.getErrorCount());
}

class SepaFixture : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    ::setenv("XDG_DATA_HOME", dir_.c_str(), 1);
    zel::Clock::Set(zel::EncodeDate(2024, 6, 14) + 11.0 / 24);  // a Friday, 11:00
    sepa_ = std::make_unique<zel::TZelSepaObject>();
    // The tests of the 2013 formats; those of today's set 39 themselves.
    sepa_->SetSepaVersion(26);
  }
  void TearDown() override {
    sepa_.reset();
    zel::Clock::Reset();
    ::unsetenv("XDG_DATA_HOME");
    TempDirTest::TearDown();
  }
  std::unique_ptr<zel::TZelSepaObject> sepa_;
};

}  // namespace zeltest
