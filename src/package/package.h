// The process-wide saver package: its trailer, its settings and its logo bytes.
#pragma once

#include <cstdint>

#include "package/saver_trailer.h"

// The trailer as read from this executable; it owns the settings record.
extern SaverTrailer PackageTrailer;
// Points into PackageTrailer once ResetSettings has run.
extern SaverSettings* Settings;
// The logo, a complete BMP file of PackageTrailer.ImageSize bytes, or null.
extern uint8_t* PackageImage;

// Seeds rand() from the tick count and puts the defaults into the trailer copy.
void ResetSettings();

// 0 read, -1 damaged package, 1 the file cannot be opened.
int ReadPackage(const char* path);

// Defaults, this executable's package, the user's stored settings: 0 when
// loaded; 1 after telling the user what is wrong and posting quit code 1.
int LoadSaver();

// Releases the logo bytes; safe to call when there are none.
void FreePackageImage();

// The user's record under HKEY_CURRENT_USER; registry failures are silent.
void LoadUserSettings();
void SaveUserSettings();
