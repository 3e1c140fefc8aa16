#include "app/standard_streams.h"

#include <windows.h>

void WriteStandardStream(bool error, const std::string& text)
{
    HANDLE stream = GetStdHandle(error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    HANDLE opened = nullptr;
    if (stream == nullptr || stream == INVALID_HANDLE_VALUE) {
        // Fails harmlessly when already attached or when there is no parent console.
        AttachConsole(ATTACH_PARENT_PROCESS);
        opened = CreateFileA("CONOUT$", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING, 0, nullptr);
        if (opened == INVALID_HANDLE_VALUE)
            return;
        stream = opened;
    }
    DWORD written = 0;
    WriteFile(stream, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    if (opened != nullptr)
        CloseHandle(opened);
}
