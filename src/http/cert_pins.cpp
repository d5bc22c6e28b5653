#include "http/cert_pins.h"

#include "core/debug_log.h"

namespace VemoSDKHttp {

void CertPins::add(const std::string& pin) {
  std::lock_guard<std::mutex> hold(lock_);
  pins_.insert(pin);
}

std::string CertPins::get_curl_format_pubkey() const {
  std::string joined;
  {
    std::lock_guard<std::mutex> hold(lock_);
    for (const std::string& pin : pins_) {
      if (!joined.empty()) joined += ';';
      joined += "sha256//" + pin;
    }
  }
  if (joined.empty())
    vemo_debug_printf("get_curl_format_pubkey empty");
  else
    vemo_debug_printf("get_curl_format_pubkey:%s\n", joined.c_str());
  return joined;
}

}  // namespace VemoSDKHttp
