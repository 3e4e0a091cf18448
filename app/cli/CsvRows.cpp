#include "CsvRows.h"

namespace zelcli {

char CsvSeparator(std::string_view header) {
  return header.find(';') != std::string_view::npos ? ';' : ',';
}

bool SplitCsv(std::string_view line, char separator, std::vector<std::string>& fields) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  fields.assign(1, std::string());
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted) {
      if (c != '"')
        fields.back() += c;
      else if (i + 1 < line.size() && line[i + 1] == '"')
        fields.back() += line[++i];
      else
        quoted = false;
    } else if (c == '"') {
      quoted = true;
    } else if (c == separator) {
      fields.emplace_back();
    } else {
      fields.back() += c;
    }
  }
  return !quoted;
}

bool ParseEuroAmount(std::string_view text, std::int64_t& amount) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  const std::size_t mark = text.find_first_of(".,");
  const std::string_view whole = text.substr(0, mark);
  const std::string_view cents = mark == std::string_view::npos ? "" : text.substr(mark + 1);
  if (whole.empty() || whole.size() > 12 || cents.size() > 2 ||
      (mark != std::string_view::npos && cents.empty()))
    return false;
  std::int64_t v = 0;
  for (char c : whole) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  for (std::size_t i = 0; i < 2; ++i) {
    const char c = i < cents.size() ? cents[i] : '0';
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  amount = v * 100;
  return true;
}

}  // namespace zelcli
