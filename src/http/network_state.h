#pragma once
// Whether the machine is on a network, as the download engine asks it.
namespace VemoSDKHttp {

constexpr int kNetworkStateOffline = 1;

// The current network state; kNetworkStateOffline means offline.
int current_network_state();

// Where the state comes from. The default reports "connected"; start-up
// plugs in the hardware information, and tests set their own. Null restores
// the default.
using NetworkStateSource = int (*)();
void set_network_state_source(NetworkStateSource source);

}  // namespace VemoSDKHttp
