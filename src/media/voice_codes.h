#pragma once
// Result codes of the voice answers.
namespace VemoSDK::Media {

constexpr int kVoiceNoMicrophone = 7025001;       // "microphone is not available"
constexpr int kVoiceFileMissing = 7025009;        // "file not exists"
constexpr int kVoiceDeviceUnavailable = 7025013;  // device, encoder or format refused
constexpr int kVoiceBadRequest = 7025014;         // unparseable request, or "no record result"
constexpr int kVoiceNoResult = 7025014;
constexpr int kVoiceBusy = 7025015;  // "media is playing" (or recording)

}  // namespace VemoSDK::Media
