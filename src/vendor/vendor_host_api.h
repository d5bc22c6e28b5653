#pragma once
// The table of host functions every plug-in vendor receives.
#include "vendor/vendor_interface.h"

VendorHostApi makeVendorHostApi();
