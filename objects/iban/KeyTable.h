// Constant look-up tables of the IBAN rules, built once from texts of
// comma-separated "key=value" entries (or plain keys). The first entry of a
// key wins. The views point into the constant texts.
#pragma once

#include <algorithm>
#include <string_view>
#include <utility>
#include <vector>

namespace zel {

class TKeyTable {
 public:
  explicit TKeyTable(std::string_view text) {
    std::size_t order = 0;
    for (std::size_t pos = 0; pos <= text.size();) {
      std::size_t end = text.find(',', pos);
      if (end == std::string_view::npos) end = text.size();
      const std::string_view entry = text.substr(pos, end - pos);
      if (!entry.empty()) {
        const std::size_t eq = entry.find('=');
        fEntries.push_back(
            {entry.substr(0, eq),
             eq == std::string_view::npos ? std::string_view() : entry.substr(eq + 1), order++});
      }
      pos = end + 1;
    }
    std::sort(fEntries.begin(), fEntries.end(), [](const Entry& a, const Entry& b) {
      return a.key != b.key ? a.key < b.key : a.order < b.order;
    });
  }

  // The value of the first entry with this key, or nullptr.
  const std::string_view* Find(std::string_view key) const {
    const auto it = std::lower_bound(fEntries.begin(), fEntries.end(), key,
                                     [](const Entry& e, std::string_view k) { return e.key < k; });
    return it != fEntries.end() && it->key == key ? &it->value : nullptr;
  }
  bool Contains(std::string_view key) const { return Find(key) != nullptr; }
  std::size_t Size() const { return fEntries.size(); }

 private:
  struct Entry {
    std::string_view key;
    std::string_view value;
    std::size_t order;
  };
  std::vector<Entry> fEntries;
};

}  // namespace zel
