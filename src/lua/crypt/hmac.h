#pragma once
// HMAC (RFC 2104) over the SDK's SHA-1 and SHA-256.
#include <string>

std::string sha1_bytes(const std::string& data);
std::string sha256_bytes(const std::string& data);
std::string hmac_sha1(const std::string& key, const std::string& text);
std::string hmac_sha256(const std::string& key, const std::string& text);
