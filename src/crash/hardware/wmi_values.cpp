#include "crash/hardware/wmi_values.h"

#include <cstdlib>

#include "core/text_convert.h"
#include "crash/hardware/hardware_records.h"

namespace VemoSDK {

namespace {

// A VARIANT that is cleared however the read ends.
struct Variant {
  VARIANT value;
  Variant() { VariantInit(&value); }
  ~Variant() { VariantClear(&value); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
};

}  // namespace

HRESULT text_of_variant(const VARIANT& value, std::string& out) {
  out.clear();
  if (value.vt == VT_NULL || value.vt == VT_EMPTY) return S_OK;
  if (value.vt != VT_BSTR) return WBEM_E_TYPE_MISMATCH;
  out = wstring_to_utf8(std::wstring(value.bstrVal, SysStringLen(value.bstrVal)));
  utf8_truncate(out, kHardwareTextLimit);
  return S_OK;
}

HRESULT number_of_variant(const VARIANT& v, std::int64_t& out) {
  switch (v.vt) {
    case VT_NULL:
    case VT_EMPTY: out = 0; return S_OK;
    case VT_I1: out = v.cVal; return S_OK;
    case VT_UI1: out = v.bVal; return S_OK;
    case VT_I2: out = v.iVal; return S_OK;
    case VT_UI2: out = v.uiVal; return S_OK;
    case VT_I4:
    case VT_INT: out = v.lVal; return S_OK;
    case VT_UI4:
    case VT_UINT: out = v.ulVal; return S_OK;
    case VT_I8: out = v.llVal; return S_OK;
    case VT_UI8: out = static_cast<std::int64_t>(v.ullVal); return S_OK;
    case VT_BSTR: {
      wchar_t* end = nullptr;
      out = static_cast<std::int64_t>(std::wcstoull(v.bstrVal, &end, 10));
      return end != v.bstrVal ? S_OK : static_cast<HRESULT>(WBEM_E_TYPE_MISMATCH);
    }
    default: return WBEM_E_TYPE_MISMATCH;
  }
}

HRESULT wmi_text(IWbemClassObject* object, const wchar_t* name, std::string& out) {
  Variant property;
  HRESULT result = object->Get(name, 0, &property.value, nullptr, nullptr);
  return FAILED(result) ? result : text_of_variant(property.value, out);
}

HRESULT wmi_number(IWbemClassObject* object, const wchar_t* name, std::int64_t& out) {
  Variant property;
  HRESULT result = object->Get(name, 0, &property.value, nullptr, nullptr);
  return FAILED(result) ? result : number_of_variant(property.value, out);
}

}  // namespace VemoSDK
