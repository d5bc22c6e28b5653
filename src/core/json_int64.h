#pragma once
// Exact 64-bit integers read from JSON text. cJSON keeps every number as a
// double, which cannot hold the callback ids that scripts may choose above
// 2^53; these read the digits themselves.
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

// A plain integer literal ("-12", "9007199254740993") within int64; nullopt
// for fractions, exponents, overflow or anything else.
std::optional<int64_t> json_integer_literal(std::string_view text);

// For each element of a top-level JSON array, in order: the value of its
// member `key` when the element is an object whose first member of that name
// (compared as written) is an integer literal within int64, else nullopt.
// Stops at the first thing that is not JSON, so a broken text gives fewer
// elements than its array holds.
std::vector<std::optional<int64_t>> json_array_member_integers(std::string_view json, std::string_view key);
