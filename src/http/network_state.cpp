#include "http/network_state.h"

#include <atomic>

namespace VemoSDKHttp {
namespace {

// Until start-up plugs in the hardware information (and in tests that start
// no SDK), the network counts as connected.
int connected_state() { return 0; }

std::atomic<NetworkStateSource> source{connected_state};

}  // namespace

int current_network_state() { return source.load()(); }

void set_network_state_source(NetworkStateSource new_source) {
  source = new_source ? new_source : connected_state;
}

}  // namespace VemoSDKHttp
