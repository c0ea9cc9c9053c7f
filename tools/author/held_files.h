// The temporary files and folders that a run holds, which an interrupt
// removes (file_io's own; verbs use file_io.h).
#pragma once

#include <string>

// Registers a path that exists only for this run; returns its slot for
// ReleaseHeldPath, or -1 when every slot is taken (the path is then not
// removed on interrupt).
int HoldPath(const std::string& path, bool folder);
// The path was renamed into place or removed.
void ReleaseHeldPath(int slot);

// Between these two an interrupt waits, so that creating or renaming a
// temporary file and registering or releasing it happen as one step.
void DeferInterrupts();
void AllowInterrupts();

#ifdef _WIN32
std::wstring WidePath(const std::string& utf8);
#endif
