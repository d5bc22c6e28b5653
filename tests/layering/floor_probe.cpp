// One include, chosen by the case that builds this file: the floor tests build
// it into a subsystem's place to see whether that header resolves there.
#include VEMO_PROBE_HEADER
