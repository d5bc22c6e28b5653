#include "crash/hardware/network_state_probe.h"

#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>
#include <netlistmgr.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "core/owners.h"
#include "crash/hardware/com_apartment.h"
#include "crash/probes/adapters.h"

namespace VemoSDK {

namespace {

constexpr unsigned kEthernet = 6;  // MIB_IF_TYPE_ETHERNET
constexpr unsigned kWifi = 71;     // IF_TYPE_IEEE80211

std::string guid_text(const GUID& id) {
  char text[64];
  std::snprintf(text, sizeof text, "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned long>(id.Data1), id.Data2, id.Data3, id.Data4[0], id.Data4[1], id.Data4[2],
                id.Data4[3], id.Data4[4], id.Data4[5], id.Data4[6], id.Data4[7]);
  return text;
}

int state_of_adapter_named(const IP_ADAPTER_INFO* adapters, const std::string& name) {
  for (const IP_ADAPTER_INFO* adapter = adapters; adapter; adapter = adapter->Next)
    if (_stricmp(adapter->AdapterName, name.c_str()) == 0) return network_state_of_adapter(true, adapter->Type);
  return network_state_of_adapter(false, 0);
}

}  // namespace

int network_state_of_adapter(bool found, unsigned adapter_type) {
  if (!found) return kNetworkAdapterNotFound;
  if (adapter_type == kEthernet) return kNetworkWired;
  if (adapter_type == kWifi) return kNetworkWifi;
  return kNetworkOther;
}

int network_state_of_connections(std::vector<int> states) {
  if (states.empty()) return kNetworkOther;
  std::stable_partition(states.begin(), states.end(), [](int state) { return state == kNetworkWired; });
  return states.front();
}

int measure_network_state() {
  ComApartment apartment;
  INetworkListManager* raw_manager = nullptr;
  if (!apartment.usable() || FAILED(CoCreateInstance(CLSID_NetworkListManager, nullptr, CLSCTX_ALL,
                                                     IID_INetworkListManager, reinterpret_cast<void**>(&raw_manager))))
    return kNetworkOther;
  vemo::ComPtr<INetworkListManager> manager(raw_manager);
  IEnumNetworkConnections* raw_connections = nullptr;
  if (FAILED(manager->GetNetworkConnections(&raw_connections)) || !raw_connections) {
    std::fprintf(stderr, "GetNetworkConnections error : %lu\n", GetLastError());
    return kNetworkOther;
  }
  vemo::ComPtr<IEnumNetworkConnections> connections(raw_connections);
  std::vector<unsigned char> buffer;
  const IP_ADAPTER_INFO* adapters = adapters_info(buffer);
  std::vector<int> states;
  while (true) {
    INetworkConnection* raw = nullptr;
    ULONG fetched = 0;
    if (connections->Next(1, &raw, &fetched) != S_OK || fetched == 0) break;
    vemo::ComPtr<INetworkConnection> connection(raw);
    VARIANT_BOOL on_internet = VARIANT_FALSE;
    GUID adapter = {};
    if (SUCCEEDED(connection->get_IsConnectedToInternet(&on_internet)) && on_internet == VARIANT_TRUE &&
        SUCCEEDED(connection->GetAdapterId(&adapter)))
      states.push_back(state_of_adapter_named(adapters, guid_text(adapter)));
  }
  return network_state_of_connections(states);
}

}  // namespace VemoSDK
