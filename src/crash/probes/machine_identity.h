#pragma once
// What identifies this machine: the first network adapter's MAC text and the
// serial number of drive C:, and the device id hashed from them. Tests put
// their own probes in through the seam.
#include <string>

namespace VemoSDK {

// "00:1A:2B:3C:4D:5E"; empty when there is no adapter.
std::string vmsdk_get_mac_addr();
// "%x" of C:'s serial number; "0" when it cannot be read.
std::string vmsdk_get_volume_serial();

// The lowercase MD5 hex of the MAC text followed by the serial text.
std::string device_id_of(const std::string& mac, const std::string& serial);
// The device id of this machine as the probes see it now; stores nothing.
std::string compute_device_id();

// Replaces the MAC or the serial probe (null restores the system's).
using IdentityProbe = std::string (*)();
void set_mac_probe(IdentityProbe probe);
void set_volume_serial_probe(IdentityProbe probe);

}  // namespace VemoSDK
