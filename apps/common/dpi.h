#pragma once
// The system dpi both programs scale their windows to.
#include <windows.h>

// LOGPIXELSX of the screen, 96 when there is no screen device context.
UINT read_system_dpi();

// Makes the process system-DPI aware, by the newest means Windows offers.
void set_system_dpi_awareness();
