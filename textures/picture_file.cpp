#include "textures/picture_file.h"

#include <windows.h>

#include <cstdio>

#include "textures/picture_kind.h"
#include "textures/wic_reader.h"

namespace {

// The file's first bytes, as many as it has up to `capacity`; 0 when it
// cannot be opened (each reader then says so in its own words).
size_t ReadHead(const char* path, unsigned char* head, DWORD capacity)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    DWORD read = 0;
    if (!ReadFile(file, head, capacity, &read, nullptr))
        read = 0;
    CloseHandle(file);
    return read;
}

}  // namespace

RgbImage* LoadPictureImage(const char* path, int maxTextureSide)
{
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        char text[1024];
        std::snprintf(text, sizeof(text), "Cannot read the picture %s: it is a folder.", path);
        RecordImageError(text);
        return nullptr;
    }
    unsigned char head[2] = {};
    if (ReadsAsBmp(path, head, ReadHead(path, head, sizeof(head))))
        return LoadDibImage(path);
    return LoadWicImage(path, maxTextureSide);
}
