#pragma once
// Keeps the processor name and the computer's maker and model for the crash
// statistics once the hardware queries answer (hardware information sits on
// a floor below crash capture, so crash capture asks it).
namespace VemoSDK {

void listen_for_crash_device_texts();

}  // namespace VemoSDK
