#include "fst/fstlib/fst_reader.h"

#include "fst/fstlib/fst_format.h"
#include "fst/fstlib/varint.h"

namespace VemoSDK::Fst {

bool FstReader::open(const unsigned char* data, size_t size) {
  data_ = nullptr;
  if (!data || size == 0) return false;
  unsigned char header = data[size - 1];
  if ((header & kOutputTypeMask) != kOutputTypeStrings) return false;
  size_t footer = charTableSize(header) + kRootAddressSize + 1;
  if (size < footer) return false;
  const unsigned char* root = data + size - 1 - kRootAddressSize;
  std::uint32_t root_address = root[0] | (root[1] << 8) | (root[2] << 16) | (static_cast<std::uint32_t>(root[3]) << 24);
  records_end_ = static_cast<std::int64_t>(size - footer);
  // A table without keys has no records; any other root must be a record.
  if (records_end_ > 0 && root_address >= records_end_) return false;
  data_ = data;
  char_table_ = data + records_end_;
  root_ = root_address;
  return true;
}

// Reads a length (reversed varint ending at `below`) and the bytes under it;
// `below` moves under them.
bool FstReader::readBytes(std::int64_t& below, const unsigned char*& bytes, std::uint32_t& size) const {
  if (below < 0) return false;
  size_t taken = readReversedVarint(data_, static_cast<size_t>(below), size);
  if (taken == 0) return false;
  below -= static_cast<std::int64_t>(taken);
  if (below + 1 < static_cast<std::int64_t>(size)) return false;
  below -= size;
  bytes = data_ + below + 1;
  return true;
}

bool FstReader::readRecord(std::int64_t flag_address, Record& record) const {
  if (flag_address < 0 || flag_address >= records_end_) return false;
  std::int64_t at = flag_address;
  record = Record{};
  record.flag = data_[at--];
  unsigned index = record.flag >> kCharIndexShift;
  if (index == 0) {
    if (at < 0) return false;
    record.ch = data_[at--];
  } else {
    record.ch = char_table_[index];
  }
  std::uint32_t delta = 0;
  if (!(record.flag & kFlagNext)) {
    if (at < 0) return false;
    size_t taken = readReversedVarint(data_, static_cast<size_t>(at), delta);
    if (taken == 0) return false;
    at -= static_cast<std::int64_t>(taken);
  }
  if ((record.flag & kFlagOutput) && !readBytes(at, record.output, record.output_size)) return false;
  if ((record.flag & kFlagStateOutput) && !readBytes(at, record.state_output, record.state_output_size)) return false;
  record.span = flag_address - at;
  if (record.flag & kFlagNext) {
    record.target = at;  // the record block directly below
  } else if (delta > 0) {
    record.target = at - static_cast<std::int64_t>(delta) + 1;
  } else {
    return true;  // no target
  }
  return record.target >= 0;
}

bool FstReader::firstArcOfJumpTable(std::int64_t marker, std::int64_t& first_arc, std::int64_t* entries_at,
                                    std::uint32_t* entry_count) const {
  std::int64_t width = data_[marker] == kJumpTableMarker2 ? 2 : 1;
  std::uint32_t count = 0;
  if (marker < 1) return false;
  size_t taken = readReversedVarint(data_, static_cast<size_t>(marker - 1), count);
  if (taken == 0 || count == 0) return false;
  std::int64_t entries = marker - static_cast<std::int64_t>(taken) - width * count;
  first_arc = entries - 1;
  if (entries_at) *entries_at = entries;
  if (entry_count) *entry_count = count;
  return first_arc >= 0;
}

Lookup FstReader::searchJumpTable(std::int64_t marker, unsigned char c, Record& arc) const {
  std::int64_t width = data_[marker] == kJumpTableMarker2 ? 2 : 1;
  std::int64_t first_arc = 0, entries = 0;
  std::uint32_t count = 0;
  if (!firstArcOfJumpTable(marker, first_arc, &entries, &count)) return Lookup::Corrupt;
  std::int64_t low = 0, high = static_cast<std::int64_t>(count) - 1;
  while (low <= high) {
    std::int64_t middle = low + (high - low) / 2;
    const unsigned char* entry = data_ + entries + middle * width;
    std::int64_t distance = width == 2 ? (entry[0] | (entry[1] << 8)) : entry[0];
    if (!readRecord(first_arc - distance, arc)) return Lookup::Corrupt;
    if (arc.ch == c) return Lookup::Found;
    if (arc.ch < c) {
      low = middle + 1;
    } else {
      high = middle - 1;
    }
  }
  return Lookup::Absent;
}

Lookup FstReader::findArc(std::int64_t state, unsigned char c, Record& arc) const {
  if (state < 0 || state >= records_end_) return Lookup::Corrupt;
  unsigned char first = data_[state];
  if (first == kJumpTableMarker1 || first == kJumpTableMarker2) return searchJumpTable(state, c, arc);
  // Each step goes strictly down, so a corrupt state cannot loop.
  for (std::int64_t at = state;; at -= arc.span) {
    if (!readRecord(at, arc)) return Lookup::Corrupt;
    if (arc.ch == c) return Lookup::Found;
    if (arc.flag & kFlagLast) return Lookup::Absent;
  }
}

Lookup FstReader::find(std::string_view key, std::string& value) const {
  value.clear();
  if (!data_) return Lookup::Corrupt;
  if (key.empty() || records_end_ == 0) return Lookup::Absent;
  std::int64_t state = root_;
  Record arc;
  for (size_t i = 0; i < key.size(); ++i) {
    Lookup step = findArc(state, static_cast<unsigned char>(key[i]), arc);
    if (step != Lookup::Found) return step;
    if (arc.output_size) value.append(reinterpret_cast<const char*>(arc.output), arc.output_size);
    if (i + 1 == key.size()) {
      if (!(arc.flag & kFlagFinal)) return Lookup::Absent;
      if (arc.state_output_size) {
        value.append(reinterpret_cast<const char*>(arc.state_output), arc.state_output_size);
      }
      return Lookup::Found;
    }
    if (arc.target < 0) return Lookup::Absent;
    state = arc.target;
  }
  return Lookup::Absent;
}

}  // namespace VemoSDK::Fst
