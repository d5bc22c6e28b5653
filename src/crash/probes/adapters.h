#pragma once
// The network adapters as GetAdaptersInfo lists them.
#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>

#include <optional>
#include <string>
#include <vector>

namespace VemoSDK {

// The first adapter of the list, held in buffer; null when there is none or
// the list cannot be read.
const IP_ADAPTER_INFO* adapters_info(std::vector<unsigned char>& buffer);

// The first address of the list, adapter by adapter, that is not "0.0.0.0".
std::optional<std::string> first_ip_address(const IP_ADAPTER_INFO* adapters);

}  // namespace VemoSDK
