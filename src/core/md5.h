#pragma once
// MD5 digests (RFC 1321) of buffers, C strings and files.
#include <cstddef>
#include <cstdint>
#include <string>

struct VemoMd5Context {
  std::uint32_t state[4];
  std::uint32_t count[2];  // bits processed, low word first
  unsigned char buffer[64];
};

void vemo_md5_init(VemoMd5Context* context);
void vemo_md5_update(VemoMd5Context* context, const void* data, size_t length);
void vemo_md5_finish(VemoMd5Context* context, unsigned char digest[16]);
// The 64 steps of MD5 over one block, leaving the result in state without
// adding the state it started from: the digest adds it, the crypt module's
// keyed hash uses the bare result.
void md5_rounds(std::uint32_t state[4], const unsigned char block[64]);
void vemo_md5(const void* data, size_t length, unsigned char digest[16]);
// Digest of the string's bytes as 32 lowercase hex digits and a terminator.
void vemo_md5_hex(const char* text, char out[33]);

enum class FileDigestStatus { kOk, kOpenFailed, kReadFailed };
// The SDK's one file digest: reads the whole file in large chunks. On
// kOpenFailed or kReadFailed GetLastError tells the Windows reason.
FileDigestStatus md5_of_file(const std::wstring& path, unsigned char digest[16]);

// The file's digest as a malloc'd text (caller frees): 32 hex digits, or with
// length 16 the middle 16 of them; null for another length, or when the
// file cannot be opened or read (reported on standard error).
char* vemo_file_md5_hex(const wchar_t* path, int length);
