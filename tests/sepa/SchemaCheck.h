// An independent schema check of written SEPA files: a Xerces DOM parse
// against the schema files of objects/data/xsd.
#pragma once

#include <filesystem>
#include <string>
#include <xercesc/parsers/XercesDOMParser.hpp>
#include <xercesc/sax/HandlerBase.hpp>
#include <xercesc/util/PlatformUtils.hpp>

#include "DataModuleSepa.h"

namespace zeltest {

// The number of schema errors Xerces finds in the file.
inline int SchemaErrors(const std::filesystem::path& file, const std::string& pain) {
  using namespace xercesc;
  zel::TXercesUse xerces;
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

}  // namespace zeltest
