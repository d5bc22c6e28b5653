#pragma once
// Number text of the JSON module that does not depend on the C locale's
// decimal point: JSON always writes and reads ".".
namespace VemoSDK::Json {

// Room for any number printed by fpconv_g_fmt, zero included.
constexpr int kFpconvBufferSize = 32;

// Learns the current locale's decimal point; a broken printf ends the process.
void fpconv_init();

// Prints num with "%.<precision>g" (precision 1..16) into out, which holds
// kFpconvBufferSize bytes; returns the length.
int fpconv_g_fmt(char* out, double num, int precision);

// strtod that reads "." as the decimal point whatever the locale says.
double fpconv_strtod(const char* text, char** end);

}  // namespace VemoSDK::Json
