// XML through Xerces-C++, which with ICU and its own libraries is large:
// it lives in libzelxml beside libzelbase and is loaded the first time a
// SEPA file is checked or a statement read, so an account check starts
// without it. Texts are UTF-8.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ZelExport.h"

namespace zel {

// What a streaming parse hands on; Start and End answer false to stop.
class TXmlHandler {
 public:
  using TAttributes = std::vector<std::pair<std::string_view, std::string_view>>;
  virtual ~TXmlHandler() = default;
  virtual bool Start(std::string_view uri, std::string_view name,
                     const TAttributes& attributes) = 0;
  virtual void Text(std::string_view text) = 0;
  virtual bool End() = 0;
};

// Checks the document (the concatenation of pieces) against a W3C schema:
// 0 valid, 13 refused (error: the element path and the complaint), 3 the
// XML library cannot be loaded (error says why).
ZELBASE_API int XmlValidate(const std::vector<std::string_view>& pieces, std::string_view schema,
                            std::string& error);

// Parses a document read in pieces by read (0: the end) without external
// entities or DTDs, entity expansion bounded; with a schema, checked
// against it in the same pass. False with the reason when it is not
// well-formed or breaks the schema (the element path and the complaint),
// the handler stopped (error empty then) or the library cannot be loaded.
ZELBASE_API bool XmlParse(const std::function<std::size_t(char*, std::size_t)>& read,
                          TXmlHandler& handler, std::string& error, std::string_view schema = {});

}  // namespace zel
