#pragma once
// The network state from the Network List Manager's internet connections and
// the adapter types GetAdaptersInfo reports for them.
#include <vector>

namespace VemoSDK {

constexpr int kNetworkWired = 3;
constexpr int kNetworkWifi = 2;
constexpr int kNetworkOther = 1;  // also: no internet connection at all
constexpr int kNetworkAdapterNotFound = 0;

// One connection's value: Ethernet is wired, IEEE 802.11 wifi, anything else other.
int network_state_of_adapter(bool found, unsigned adapter_type);
// The machine's state from its connections' values: wired wins, then the
// first connection; no connection at all is kNetworkOther.
int network_state_of_connections(std::vector<int> states);

// Scans the connections now (COM initialised on the calling thread for the
// scan when it is not already).
int measure_network_state();

}  // namespace VemoSDK
