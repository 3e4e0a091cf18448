// mkbankindex: builds the bank-code index "BANKINDEX" from a bank table made
// by mkbanktab (the codes alone, buckets by their leading four digits, the
// fields a check needs), so the data module uses it in place.
//
//   mkbankindex TABLE.bin OUTPUT.bin

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

#include "BankIndex.h"
#include "BankRecord.h"
#include "GenCommon.h"

namespace {

std::string Index(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error(path + ": cannot be read");
  const std::string bytes(std::istreambuf_iterator<char>(in), {});
  if (bytes.empty() || bytes.size() % zel::kBankRecordSize != 0)
    throw std::runtime_error(path + ": not a bank table");
  const zel::TRecordTable table{reinterpret_cast<const std::byte*>(bytes.data()),
                                static_cast<int>(bytes.size() / zel::kBankRecordSize),
                                zel::kBankRecordSize};
  return zel::TBankIndex::Build(table);
}

}  // namespace

int main(int argc, char** argv) { return zelgen::Main(argc, argv, "mkbankindex", Index); }
