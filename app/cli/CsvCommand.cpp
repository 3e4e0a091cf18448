// zel csv: the batch check of a text file of bank connections, the same
// check and output file as the window's page "Dateien".

#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "BatchInput.h"
#include "CliCommon.h"
#include "Commands.h"
#include "Csv.h"

namespace zelcli {
namespace {

bool Column(const Args& a, const char* option, int preset, int& column) {
  column = preset;
  return !a.Has(option) || (ToInt(a.Get(option), column) && column >= 1 && column <= 999);
}

bool Separator(const Args& a, char& sep) {
  const std::string s = a.Has("--sep") ? a.Get("--sep") : ",";
  sep = s == "tab" ? '\t' : s.size() == 1 && (s[0] == ';' || s[0] == ',') ? s[0] : 0;
  return sep != 0;
}

}  // namespace

int Csv(Context& c) {
  const Args& a = c.args;
  zel::TCsvBatch job;
  if (a.words.size() != 1 || !Column(a, "--blz-col", 13, job.blzColumn) ||
      !Column(a, "--kto-col", 12, job.ktoColumn) || !Separator(a, job.separator))
    return -1;
  auto p = Probe(c);
  if (!p) return kUsage;
  job.input = a.words[0];
  job.output = a.Get("--out");
  job.append = a.Has("--append");
  job.jobs = BatchJobs(c);
  struct stat st {};
  const std::uint64_t size = ::stat(job.input.c_str(), &st) == 0 ? st.st_size : 0;
  if (::isatty(2) && size > 0)
    job.progress = [&](std::uint64_t done) {
      c.err << "\r" << done * 100 / size << " %" << std::flush;
      return true;
    };
  const zel::TCsvBatchResult r = zel::CsvBatchCheck(*p, job);
  if (job.progress) c.err << "\r      \r";
  if (r.status != zel::TCsvBatchResult::kDone) {
    c.err << r.message << "\n";
    return kUsage;
  }
  if (c.json)
    c.out << JsonObject()
                 .Typed("file", r.output)
                 .Number("checked", r.checked)
                 .Number("errors", r.errors)
                 .Str()
          << "\n";
  else
    c.out << "Fertig! Ergebnis in " << r.output << " (" << r.checked << " Bankverbindung"
          << (r.checked == 1 ? "" : "en") << " geprüft, " << r.errors << " Fehler)\n";
  return r.errors == 0 ? kAccepted : kRejected;
}

}  // namespace zelcli
