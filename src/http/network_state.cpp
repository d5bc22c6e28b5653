#include "http/network_state.h"

#include <atomic>

namespace VemoSDKHttp {
namespace {

// TODO(hardware information): ask HardwareInfo::getNetworkState.
int connected_state() { return 0; }

std::atomic<NetworkStateSource> source{connected_state};

}  // namespace

int current_network_state() { return source.load()(); }

void set_network_state_source(NetworkStateSource new_source) {
  source = new_source ? new_source : connected_state;
}

}  // namespace VemoSDKHttp
