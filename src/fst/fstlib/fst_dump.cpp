#include "fst/fstlib/fst_dump.h"

#include <cstdio>
#include <set>
#include <vector>

#include "fst/fstlib/fst_format.h"
#include "fst/fstlib/fst_reader.h"

namespace VemoSDK::Fst {

namespace {

std::string printable(const unsigned char* bytes, std::uint32_t size) {
  std::string out;
  for (std::uint32_t i = 0; i < size; ++i) {
    if (bytes[i] >= 0x20 && bytes[i] < 0x7F) {
      out.push_back(static_cast<char>(bytes[i]));
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", bytes[i]);
      out += escaped;
    }
  }
  return out;
}

}  // namespace

std::string dumpStatistics(const BuildStats& stats) {
  return "# unique char count: " + std::to_string(stats.unique_chars) + "\n# state count: " +
         std::to_string(stats.states) + "\n# record count: " + std::to_string(stats.records) +
         "\n# total size: " + std::to_string(stats.total_size) + "\n";
}

bool FstReader::dump(std::string& out) const {
  out += "Char\tAddress\tArc\tN F L\tNxtAddr\tOutput\tStOuts\tSize\n";
  if (!data_) return false;
  if (records_end_ == 0) return true;
  std::vector<std::int64_t> pending{root_};
  std::set<std::int64_t> seen{root_};
  while (!pending.empty()) {
    std::int64_t state = pending.back();
    pending.pop_back();
    std::int64_t at = state;
    if (data_[state] == kJumpTableMarker1 || data_[state] == kJumpTableMarker2) {
      if (!firstArcOfJumpTable(state, at)) return false;
    }
    Record record;
    for (int arc = 0;; ++arc, at -= record.span) {
      if (!readRecord(at, record)) return false;
      char line[96];
      std::snprintf(line, sizeof line, "%s\t%lld\t%d\t%s %s %s\t", printable(&record.ch, 1).c_str(),
                    static_cast<long long>(at), arc, (record.flag & kFlagNext) ? "\xE2\x86\x91" : " ",
                    (record.flag & kFlagFinal) ? "*" : " ", (record.flag & kFlagLast) ? "^" : " ");
      out += line;
      out += record.target < 0 ? std::string("x") : std::to_string(record.target);
      out += "\t" + printable(record.output, record.output_size) + "\t" +
             printable(record.state_output, record.state_output_size) + "\t" + std::to_string(record.span) + "\n";
      if (record.target >= 0 && seen.insert(record.target).second) pending.push_back(record.target);
      if (record.flag & kFlagLast) break;
    }
  }
  return true;
}

bool dumpRecords(const unsigned char* data, size_t size, std::string& out) {
  FstReader reader;
  if (!reader.open(data, size)) return false;
  return reader.dump(out);
}

}  // namespace VemoSDK::Fst
