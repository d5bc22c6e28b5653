// Saves the key store over and over until it is killed, for the torn-write
// test: keystore_probe <folder>. Creates <folder>\ready once the first pair
// of values is saved.
#include <cstdio>
#include <string>

#include "core/keystore/keystore.h"
#include "crash/probes/machine_identity.h"

namespace {
std::string fixed_mac() { return "00:1A:2B:3C:4D:5E"; }
std::string fixed_serial() { return "1a2b3c4d"; }
}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  std::string folder = argv[1];
  VemoSDK::set_mac_probe(fixed_mac);
  VemoSDK::set_volume_serial_probe(fixed_serial);
  VemoSDK::KeyStore store([folder] { return folder; });
  for (unsigned round = 1;; ++round) {
    // Both values name the round: a whole store has them agree.
    store.set("pad", std::string(20000 + round % 1000, static_cast<char>('a' + round % 26)) + std::to_string(round));
    store.set("round", std::to_string(round));
    if (round == 1) std::fclose(std::fopen((folder + "\\ready").c_str(), "wb"));
  }
}
