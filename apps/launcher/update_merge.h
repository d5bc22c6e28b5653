#pragma once
// Merges the staged ".update" folder into the program folder. True when
// every staged entry was merged, also when there is nothing to merge.
bool copy_directory_from_update_to_exe();
