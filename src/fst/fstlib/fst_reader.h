#pragma once
// Looks keys up in compiled FST bytes without unpacking them. Every read is
// checked against the bounds of the records: corrupt or truncated data is
// reported, never read past. The bytes are borrowed and must outlive the
// reader.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace VemoSDK::Fst {

enum class Lookup { Found, Absent, Corrupt };

class FstReader {
public:
  // False when the data has no footer or does not hold string outputs.
  bool open(const unsigned char* data, size_t size);

  // The value of key into `value` when found.
  Lookup find(std::string_view key, std::string& value) const;
  // The debug listing of every record (fst_dump.h).
  bool dump(std::string& out) const;

private:
  struct Record {
    unsigned char ch = 0;
    unsigned char flag = 0;
    std::int64_t target = -1;  // -1: none
    const unsigned char* output = nullptr;
    std::uint32_t output_size = 0;
    const unsigned char* state_output = nullptr;
    std::uint32_t state_output_size = 0;
    std::int64_t span = 0;  // bytes from the lowest part up to the flag
  };

  bool readRecord(std::int64_t flag_address, Record& record) const;
  bool readBytes(std::int64_t& below, const unsigned char*& bytes, std::uint32_t& size) const;
  // The arc for c of the state at address: Found, Absent or Corrupt.
  Lookup findArc(std::int64_t state, unsigned char c, Record& arc) const;
  Lookup searchJumpTable(std::int64_t marker, unsigned char c, Record& arc) const;
  // The first arc's flag address below the jump table at marker, and where its entries begin.
  bool firstArcOfJumpTable(std::int64_t marker, std::int64_t& first_arc, std::int64_t* entries = nullptr,
                           std::uint32_t* count = nullptr) const;

  const unsigned char* data_ = nullptr;
  std::int64_t records_end_ = 0;  // records are data_[0, records_end_)
  const unsigned char* char_table_ = nullptr;
  std::int64_t root_ = 0;
};

}  // namespace VemoSDK::Fst
