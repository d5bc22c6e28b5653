#pragma once
// Lets the user save a copy of an existing file under a name of their choice.

// Shows the save dialog (owned by the host window) with the file's name, then
// copies the file there: 0 copied, -1 the dialog failed or was cancelled,
// -2 the copy failed (an existing target is never replaced). UTF-8 path.
int vemosdkWindowsSaveAsFile(const char* path);
