#pragma once
// The script bundle's password (printable ASCII, no quotes or backslashes).
extern const char kBundlePassword[];
