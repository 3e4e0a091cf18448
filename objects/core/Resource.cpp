#include "Resource.h"

#include <stdexcept>
#include <string>

// Symbols laid down by the assembler files that embed the generated tables.
extern "C" {
extern const std::byte zel_res_BANKDATA_begin[];
extern const std::byte zel_res_BANKDATA_end[];
extern const std::byte zel_res_BANKINDEX_begin[];
extern const std::byte zel_res_BANKINDEX_end[];
extern const std::byte zel_res_VERSIONDATA_begin[];
extern const std::byte zel_res_VERSIONDATA_end[];
extern const std::byte zel_res_SCLDATA_begin[];
extern const std::byte zel_res_SCLDATA_end[];
extern const std::byte zel_res_SCLVALID_begin[];
extern const std::byte zel_res_SCLVALID_end[];
extern const std::byte zel_res_XSD_PAIN_001_002_03_begin[];
extern const std::byte zel_res_XSD_PAIN_001_002_03_end[];
extern const std::byte zel_res_XSD_PAIN_001_003_03_begin[];
extern const std::byte zel_res_XSD_PAIN_001_003_03_end[];
extern const std::byte zel_res_XSD_PAIN_008_002_02_begin[];
extern const std::byte zel_res_XSD_PAIN_008_002_02_end[];
extern const std::byte zel_res_XSD_PAIN_008_003_02_begin[];
extern const std::byte zel_res_XSD_PAIN_008_003_02_end[];
extern const std::byte zel_res_XSD_PAIN_001_001_09_begin[];
extern const std::byte zel_res_XSD_PAIN_001_001_09_end[];
extern const std::byte zel_res_XSD_PAIN_008_001_08_begin[];
extern const std::byte zel_res_XSD_PAIN_008_001_08_end[];
extern const std::byte zel_res_XSD_CAMT_053_001_08_begin[];
extern const std::byte zel_res_XSD_CAMT_053_001_08_end[];
}

namespace zel {
namespace {

struct ResourceEntry {
  std::string_view name;
  const std::byte* begin;
  const std::byte* end;
};

constexpr ResourceEntry kResources[] = {
    {"BANKDATA", zel_res_BANKDATA_begin, zel_res_BANKDATA_end},
    {"BANKINDEX", zel_res_BANKINDEX_begin, zel_res_BANKINDEX_end},
    {"VERSIONDATA", zel_res_VERSIONDATA_begin, zel_res_VERSIONDATA_end},
    {"SCLDATA", zel_res_SCLDATA_begin, zel_res_SCLDATA_end},
    {"SCLVALID", zel_res_SCLVALID_begin, zel_res_SCLVALID_end},
    {"XSD_PAIN_001_002_03", zel_res_XSD_PAIN_001_002_03_begin, zel_res_XSD_PAIN_001_002_03_end},
    {"XSD_PAIN_001_003_03", zel_res_XSD_PAIN_001_003_03_begin, zel_res_XSD_PAIN_001_003_03_end},
    {"XSD_PAIN_008_002_02", zel_res_XSD_PAIN_008_002_02_begin, zel_res_XSD_PAIN_008_002_02_end},
    {"XSD_PAIN_008_003_02", zel_res_XSD_PAIN_008_003_02_begin, zel_res_XSD_PAIN_008_003_02_end},
    {"XSD_PAIN_001_001_09", zel_res_XSD_PAIN_001_001_09_begin, zel_res_XSD_PAIN_001_001_09_end},
    {"XSD_PAIN_008_001_08", zel_res_XSD_PAIN_008_001_08_begin, zel_res_XSD_PAIN_008_001_08_end},
    {"XSD_CAMT_053_001_08", zel_res_XSD_CAMT_053_001_08_begin, zel_res_XSD_CAMT_053_001_08_end},
};

}  // namespace

std::span<const std::byte> FindResource(std::string_view name) {
  for (const ResourceEntry& r : kResources)
    if (r.name == name) return {r.begin, static_cast<std::size_t>(r.end - r.begin)};
  throw std::runtime_error("resource " + std::string(name) + " not found");
}

TRecordTable MapRecords(std::string_view name, std::size_t recordSize) {
  const std::span<const std::byte> res = FindResource(name);
  return {res.data(), static_cast<int>(res.size() / recordSize), recordSize};
}

}  // namespace zel
