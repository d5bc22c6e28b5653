#pragma once
// The loading animation's frames: base64 texts of PNG images, in display order.
namespace VemoSDK {

const char* const* loadingFrames();
int loadingFrameCount();

}  // namespace VemoSDK
