#include "capture/file_output.h"

#include <windows.h>
#include <objbase.h>
#include <wincodec.h>

#include <cstdio>
#include <vector>

#include "app/com_held.h"

namespace {

bool Failed(HRESULT result, const char* step, std::string* reason)
{
    if (SUCCEEDED(result))
        return false;
    *reason = std::string(step) + ": " + SystemErrorText(static_cast<unsigned long>(result));
    return true;
}

// Rows written as they are: the encoder's default tries every filter on every
// row, which takes most of a capture's time and saves little on a frame.
HRESULT ChooseNoRowFilter(IPropertyBag2* properties)
{
    PROPBAG2 option = {};
    option.pstrName = const_cast<LPOLESTR>(L"FilterOption");
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_UI1;
    value.bVal = WICPngFilterNone;
    return properties->Write(1, &option, &value);
}

// The PNG file's bytes, made in memory so that the file itself is written
// (and its failures told) by WriteFileWhole alone.
bool EncodePng(int width, int height, const unsigned char* rgbBottomUp,
               std::vector<unsigned char>* png, std::string* reason)
{
    // The codec takes blue, green, red, top row first.
    const UINT stride = static_cast<UINT>(width) * 3;
    std::vector<unsigned char> bgr(static_cast<size_t>(stride) * height);
    for (int y = 0; y < height; ++y) {
        const unsigned char* from = rgbBottomUp + static_cast<size_t>(height - 1 - y) * stride;
        unsigned char* to = &bgr[static_cast<size_t>(y) * stride];
        for (int x = 0; x < width; ++x) {
            to[3 * x] = from[3 * x + 2];
            to[3 * x + 1] = from[3 * x + 1];
            to[3 * x + 2] = from[3 * x];
        }
    }

    Held<IWICImagingFactory> factory;
    Held<IStream> stream;
    Held<IWICBitmapEncoder> encoder;
    Held<IWICBitmapFrameEncode> frame;
    Held<IPropertyBag2> properties;
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    if (Failed(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(factory.Out())),
               "no imaging component", reason) ||
        Failed(CreateStreamOnHGlobal(nullptr, TRUE, stream.Out()), "no memory stream", reason) ||
        Failed(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.Out()),
               "no PNG encoder", reason) ||
        Failed(encoder->Initialize(stream.p, WICBitmapEncoderNoCache), "PNG encoder", reason) ||
        Failed(encoder->CreateNewFrame(frame.Out(), properties.Out()), "PNG frame", reason) ||
        Failed(ChooseNoRowFilter(properties.p), "PNG filter option", reason) ||
        Failed(frame->Initialize(properties.p), "PNG frame", reason) ||
        Failed(frame->SetSize(static_cast<UINT>(width), static_cast<UINT>(height)), "PNG size",
               reason) ||
        Failed(frame->SetPixelFormat(&format), "PNG pixel format", reason))
        return false;
    if (format != GUID_WICPixelFormat24bppBGR) {
        *reason = "the PNG encoder does not take 24-bit pixels";
        return false;
    }
    if (Failed(frame->WritePixels(static_cast<UINT>(height), stride,
                                  static_cast<UINT>(bgr.size()), bgr.data()),
               "PNG pixels", reason) ||
        Failed(frame->Commit(), "PNG frame", reason) ||
        Failed(encoder->Commit(), "PNG encoder", reason))
        return false;

    HGLOBAL memory = nullptr;
    STATSTG status = {};
    if (Failed(GetHGlobalFromStream(stream.p, &memory), "memory stream", reason) ||
        Failed(stream->Stat(&status, STATFLAG_NONAME), "memory stream", reason))
        return false;
    const void* bytes = GlobalLock(memory);
    if (bytes == nullptr) {
        *reason = SystemErrorText(GetLastError());
        return false;
    }
    const unsigned char* first = static_cast<const unsigned char*>(bytes);
    png->assign(first, first + status.cbSize.QuadPart);
    GlobalUnlock(memory);
    return true;
}

}  // namespace

std::string SystemErrorText(unsigned long code)
{
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string line;
    if (length > 0 && text != nullptr)
        line.assign(text, length);
    if (text != nullptr)
        LocalFree(text);
    // One line: the system ends its texts with a line break.
    for (char& c : line)
        if (c == '\r' || c == '\n')
            c = ' ';
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    char number[32];
    std::snprintf(number, sizeof(number), "error 0x%08lX", code);
    return line.empty() ? number : line + " (" + number + ")";
}

bool WriteFileWhole(const char* path, const void* bytes, size_t size, std::string* reason)
{
    const std::string temporary = std::string(path) + ".partial";
    HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        *reason = SystemErrorText(GetLastError());
        return false;
    }
    const unsigned char* next = static_cast<const unsigned char*>(bytes);
    bool written = true;
    for (size_t left = size; left > 0 && written;) {
        const DWORD chunk = left > 0x40000000 ? 0x40000000 : static_cast<DWORD>(left);
        DWORD done = 0;
        written = WriteFile(file, next, chunk, &done, nullptr) && done == chunk;
        next += chunk;
        left -= chunk;
    }
    if (!written)
        *reason = SystemErrorText(GetLastError());
    CloseHandle(file);
    if (written && !MoveFileExA(temporary.c_str(), path, MOVEFILE_REPLACE_EXISTING)) {
        *reason = SystemErrorText(GetLastError());
        written = false;
    }
    if (!written)
        DeleteFileA(temporary.c_str());
    return written;
}

bool WritePngFile(const char* path, int width, int height, const unsigned char* rgbBottomUp,
                  std::string* reason)
{
    // The caller's thread may have COM already, in either model; only a call
    // that started it here ends it here.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    std::vector<unsigned char> png;
    bool written = EncodePng(width, height, rgbBottomUp, &png, reason);
    if (SUCCEEDED(com))
        CoUninitialize();
    if (written)
        written = WriteFileWhole(path, png.data(), png.size(), reason);
    return written;
}
