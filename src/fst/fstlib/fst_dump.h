#pragma once
// Debug output of FST tables, for looking at them by hand (nothing in the
// programs turns it on): one line per record, and the compiler's statistics.
#include <cstddef>
#include <string>

#include "fst/fstlib/fst_compiler.h"

namespace VemoSDK::Fst {

// "# unique char count: ", "# state count: ", "# record count: ", "# total size: " lines.
std::string dumpStatistics(const BuildStats& stats);

// A header line, then one line per record reachable from the root, each
// state once: character, address, arc number in its state, the next, final
// and last marks, target ("x": none), output, state output and size.
// False when the data does not open or a record is corrupt (the lines so far
// are kept).
bool dumpRecords(const unsigned char* data, size_t size, std::string& out);

}  // namespace VemoSDK::Fst
