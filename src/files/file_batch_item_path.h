#pragma once
// Paths of batch items: a base folder joined with an item name. With a base,
// an item must name something strictly inside it; an absolute item, one with
// a drive or a stream (':'), or one that climbs out through ".." is refused,
// and so is one that passes through a junction or symbolic link below the
// base, so a script's list can never reach files outside the folder it names.
#include <cstddef>

#include "core/op_result.h"

// Joins base (may be null or empty: the item is then used as it is) and item
// into out (out_size bytes, terminated). A relative base, or a relative item
// without a base, is taken in the program folder (core/program_relative.h).
// Failures: kFileOpPathOutsideBase, kFileOpPathTooLong.
OpResult join_batch_item(const char* base, const char* item, char* out, size_t out_size);
