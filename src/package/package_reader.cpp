// Reads the saver package from the end of this executable.
#include <windows.h>

#include <cstdlib>

#include "package/package.h"
#include "package/package_location.h"

SaverTrailer PackageTrailer;
SaverSettings* Settings;
uint8_t* PackageImage;

void ResetSettings()
{
    std::srand(GetTickCount());
    ApplyDefaultTrailer(&PackageTrailer);
    Settings = &PackageTrailer.Settings;
}

void FreePackageImage()
{
    if (PackageImage) {
        GlobalFree(PackageImage);
        PackageImage = nullptr;
    }
}

// The 32-bit calls that every Windows has; a low word of all ones is an
// error only when the system says so.
static bool FileSizeOf(HANDLE file, uint64_t* size)
{
    DWORD high = 0;
    SetLastError(NO_ERROR);
    const DWORD low = GetFileSize(file, &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR)
        return false;
    *size = uint64_t{high} << 32 | low;
    return true;
}

static bool ReadAt(HANDLE file, uint64_t offset, void* buffer, DWORD size)
{
    LONG high = static_cast<LONG>(offset >> 32);
    SetLastError(NO_ERROR);
    const DWORD low = SetFilePointer(file, static_cast<LONG>(offset & 0xFFFFFFFFu), &high, FILE_BEGIN);
    if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR)
        return false;
    DWORD read = 0;
    return ReadFile(file, buffer, size, &read, nullptr) && read == size;
}

static bool ReadFromFile(void* file, uint64_t offset, void* buffer, uint32_t size)
{
    return ReadAt(file, offset, buffer, size);
}

// Every road out of here closes the file; the image block exists only on success.
int ReadPackage(const char* path)
{
    FreePackageImage();
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;

    uint64_t fileSize = 0;
    if (!FileSizeOf(file, &fileSize)) {
        CloseHandle(file);
        return 1;
    }

    PackagePlace place;
    switch (LocatePackage(ReadFromFile, file, fileSize, &PackageTrailer, &place)) {
    case PackageLayout::Damaged:
        CloseHandle(file);
        ResetSettings();
        return -1;
    case PackageLayout::NoImage:
        PackageTrailer.ImageSize = 0;
        ResetSettings();
        CloseHandle(file);
        return 0;
    case PackageLayout::Sound:
        break;
    }

    const DWORD imageSize = static_cast<DWORD>(PackageTrailer.ImageSize);
    uint8_t* image = static_cast<uint8_t*>(GlobalAlloc(GMEM_FIXED, imageSize));
    if (!image || !ReadAt(file, place.ImageOffset, image, imageSize)) {
        if (image)
            GlobalFree(image);
        CloseHandle(file);
        return -1;
    }
    CloseHandle(file);
    PackageImage = image;
    NormaliseSettings(Settings);
    return 0;
}

int LoadSaver()
{
    ResetSettings();
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    const int result = length == 0 || length >= MAX_PATH ? 1 : ReadPackage(path);
    if (result != 0) {
        MessageBoxA(GetForegroundWindow(),
                    result < 0 ? "This Screensaver is corrupt!" : "Unable to read saver information", "Screensaver",
                    MB_OK | MB_ICONERROR);
        PostQuitMessage(1);
        return 1;
    }
    LoadUserSettings();
    return 0;
}
