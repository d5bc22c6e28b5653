#pragma once
// FST string tables: a read-only map of byte strings to byte strings,
// compiled into one byte sequence and looked up in those bytes directly.
// This is the one header other folders include.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fst/fstlib/fst_builder.h"
#include "fst/fstlib/fst_reader.h"
#include "fst/fstlib/varint.h"

namespace VemoSDK::Fst {

struct KeyValue {
  std::string key;
  std::string value;
};

// Sorts the pairs by key and compiles them into `out`; an empty result on
// success, else the build error (an empty key, a key given twice, a table
// too large for the format).
BuildError compileTable(std::vector<KeyValue> pairs, std::string& out);

}  // namespace VemoSDK::Fst
