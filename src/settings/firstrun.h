#pragma once

// True on the first start: settings.ini has no OTHER/FIRSTRUN or it reads true.
// The marker is then written as false at once. Read once per process.
bool IsFirstRun();
// For tests: forget the answer, so the next call reads the file again.
void ResetFirstRunCache();
