// Bank statements in ISO 20022 form: camt.053 (day statements), camt.052
// (account reports during the day) and camt.054 (notifications of
// collective bookings), versions .001.02 to .001.08 (the namespace
// decides). Each statement, report or notification becomes a statement
// row; each booked entry one booking row, or one per transaction when it
// holds several. Entries not booked yet are left out and counted.
#pragma once

#include <string>
#include <string_view>

#include "StatementRecords.h"

namespace zel {

// Whether a file's first bytes look like an XML document.
bool LooksLikeXml(std::string_view head);

// Reads a camt document (UTF-8 XML, from memory or a file); name goes into
// messages. Throws TStatementFileError when it is no camt document or not
// well-formed XML; statements handed on before that stay handed on.
void ReadCamt(std::string_view xml, const std::string& name, const TStatementSink& sink,
              TReadNotes& notes);
void ReadCamtFile(const std::string& fileName, const TStatementSink& sink, TReadNotes& notes);

}  // namespace zel
