#include "core/rc4.h"

#include <cstdlib>
#include <utility>

bool rc4_init(Rc4State* state, const unsigned char* key, size_t key_length) {
  if (!state || !key || key_length == 0) return false;
  for (std::uint32_t n = 0; n < 256; ++n) state->s[n] = n;
  std::uint32_t j = 0;
  for (std::uint32_t n = 0; n < 256; ++n) {
    j = (j + state->s[n] + key[n % key_length]) & 0xFF;
    std::swap(state->s[n], state->s[j]);
  }
  state->i = state->j = 0;
  return true;
}

void rc4_apply(Rc4State* state, const unsigned char* data, size_t length, unsigned char* out) {
  std::uint32_t i = state->i, j = state->j;
  for (size_t n = 0; n < length; ++n) {
    i = (i + 1) & 0xFF;
    j = (j + state->s[i]) & 0xFF;
    std::swap(state->s[i], state->s[j]);
    out[n] = static_cast<unsigned char>(data[n] ^ state->s[(state->s[i] + state->s[j]) & 0xFF]);
  }
  state->i = i;
  state->j = j;
}

unsigned char* rc4_crypt_buffer(const unsigned char* key, size_t key_length, const unsigned char* data,
                                size_t length) {
  Rc4State state;
  if (!rc4_init(&state, key, key_length) || (!data && length)) return nullptr;
  auto* out = static_cast<unsigned char*>(std::malloc(length ? length : 1));
  if (out) rc4_apply(&state, data, length, out);
  return out;
}
