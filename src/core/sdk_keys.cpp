#include "core/sdk_keys.h"

#include <cstring>

#include "core/rc4.h"

namespace {

// Chosen once at random for this installation; changing one makes every
// file enciphered with it unreadable (1: sdkconfig.json, 2: the key store).
const char* const kKeys[] = {
    "^ZR&6tdNmXdz2R)l]4f65JjB6aSB2$VR:Ks)]i#+/G%[7K5xf#GS8JXo9g8VZi0+tCq=1!ie(0Qooy(3p6US$NF[3YjG^|#km@m0QXM$+a/",
    "9qXR!x~e[Jds2*jH:->vgo_R}S]3_-MgXA$~0dSI8O[z<}r2>eT$@]ib6u_]>Jyq&!d&MTZY_aYB.i/)jX0+<%zHl9;{xmkN3$_(TQ)g/",
    "x:MF9&8*Xjvyha}Isc<NYeq&kHB^l<.rC*ts/^2US$ay];_zQxXc/U;K@)B&c/fVSy~j]pD$8o(%JB.:*JG{!UU6kK#ep/C~::(~!%#_:$W~Y",
};
constexpr int kKeyCount = static_cast<int>(sizeof kKeys / sizeof kKeys[0]);

}  // namespace

const char* sdk_key(int index, size_t* length) {
  if (length) *length = 0;
  if (index < 1 || index > kKeyCount) return nullptr;
  if (length) *length = std::strlen(kKeys[index - 1]);
  return kKeys[index - 1];
}

unsigned char* vemosdk_crypt_with_key_index(int index, const void* data, size_t length) {
  size_t key_length = 0;
  const char* key = sdk_key(index, &key_length);
  if (!key) return nullptr;
  return rc4_crypt_buffer(reinterpret_cast<const unsigned char*>(key), key_length,
                          static_cast<const unsigned char*>(data), length);
}
