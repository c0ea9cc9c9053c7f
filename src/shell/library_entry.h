// Looking up an export of a library loaded at run time, typed.
#pragma once

#include <windows.h>

// GetProcAddress returns one generic function type; going through
// void (*)() is the conversion that compilers accept without complaint.
template <typename Entry>
Entry FindLibraryEntry(HMODULE library, const char* name)
{
    return reinterpret_cast<Entry>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}
