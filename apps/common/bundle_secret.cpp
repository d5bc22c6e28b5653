#include "bundle_secret.h"

// The password of the script bundle: a secret of the installation, shared by
// both programs and by scripts/make-bundle (which reads it from this line).
const char kBundlePassword[] = "a-nb>V,[00SaQ2LK>;Gk9BkT>F<o05iCpJ6P-m-sH!Ztx-HH[CupO+o!SYu.HV&i&IE21";

static_assert(sizeof(kBundlePassword) == 70, "the bundle password has 69 characters");
