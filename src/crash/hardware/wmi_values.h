#pragma once
// Properties of a WMI object read with their variant type checked.
#include <wbemidl.h>

#include <cstdint>
#include <string>

namespace VemoSDK {

// A text property as bounded UTF-8 (null gives ""); a failing Get, or a
// value that is no text, is an error HRESULT.
HRESULT wmi_text(IWbemClassObject* object, const wchar_t* name, std::string& out);
// A number property of any integer type, or a text of digits as WMI gives
// 64-bit values (null gives 0).
HRESULT wmi_number(IWbemClassObject* object, const wchar_t* name, std::int64_t& out);

// The same rules on a value already read.
HRESULT text_of_variant(const VARIANT& value, std::string& out);
HRESULT number_of_variant(const VARIANT& value, std::int64_t& out);

}  // namespace VemoSDK
