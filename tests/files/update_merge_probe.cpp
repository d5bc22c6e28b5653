// Merges the ".update" folder beside it, as the programs do at start-up:
// exit code 0 when every staged entry was merged, 1 otherwise.
#include "files/update_merge.h"

int main() { return copy_directory_from_update_to_exe() ? 0 : 1; }
