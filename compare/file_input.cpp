#include "compare/file_input.h"

#include <windows.h>
#include <objbase.h>
#include <wincodec.h>

#include <vector>

#include "app/com_held.h"
#include "capture/file_output.h"

namespace {

// Larger than any sheet or frame this program writes.
const size_t largestInput = 64u << 20;

bool Decode(const std::wstring& path, SheetImage* image, std::string* reason)
{
    Held<IWICImagingFactory> factory;
    Held<IWICBitmapDecoder> decoder;
    Held<IWICBitmapFrameDecode> frame;
    Held<IWICFormatConverter> converter;
    HRESULT result = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_PPV_ARGS(factory.Out()));
    if (SUCCEEDED(result))
        result = factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                    WICDecodeMetadataCacheOnDemand, decoder.Out());
    if (SUCCEEDED(result))
        result = decoder->GetFrame(0, frame.Out());
    UINT width = 0, height = 0;
    if (SUCCEEDED(result))
        result = frame->GetSize(&width, &height);
    if (SUCCEEDED(result) && (width == 0 || height == 0 || width > 16384 || height > 16384)) {
        *reason = "not a picture of a size this program writes";
        return false;
    }
    if (SUCCEEDED(result))
        result = factory->CreateFormatConverter(converter.Out());
    if (SUCCEEDED(result))
        result = converter->Initialize(frame.p, GUID_WICPixelFormat24bppRGB, WICBitmapDitherTypeNone,
                                       nullptr, 0.0, WICBitmapPaletteTypeCustom);
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
    if (SUCCEEDED(result))
        result = converter->CopyPixels(nullptr, width * 3, static_cast<UINT>(rgb.size()), rgb.data());
    if (FAILED(result)) {
        *reason = "not a readable PNG: " + SystemErrorText(static_cast<unsigned long>(result));
        return false;
    }
    image->width = static_cast<int>(width);
    image->height = static_cast<int>(height);
    image->rgb.swap(rgb);
    return true;
}

}  // namespace

bool ReadFileWhole(const std::string& path, std::string* bytes, std::string* reason)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        *reason = SystemErrorText(GetLastError());
        return false;
    }
    LARGE_INTEGER size = {};
    bool read = GetFileSizeEx(file, &size) != 0;
    if (read && static_cast<unsigned long long>(size.QuadPart) > largestInput) {
        CloseHandle(file);
        *reason = "too large to be one of this program's files";
        return false;
    }
    if (read) {
        bytes->resize(static_cast<size_t>(size.QuadPart));
        DWORD done = 0;
        read = bytes->empty() ||
               (ReadFile(file, &(*bytes)[0], static_cast<DWORD>(bytes->size()), &done, nullptr) &&
                done == bytes->size());
    }
    if (!read)
        *reason = SystemErrorText(GetLastError());
    CloseHandle(file);
    return read;
}

bool ReadPngFile(const std::string& path, SheetImage* image, std::string* reason)
{
    // Checked first, so a missing file gets the system's plain reason.
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        *reason = SystemErrorText(GetLastError());
        return false;
    }
    const int wideLength = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(wideLength > 0 ? wideLength : 1), L'\0');
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, &wide[0], wideLength);
    wide.resize(wide.size() - 1);
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const bool decoded = Decode(wide, image, reason);
    if (SUCCEEDED(com))
        CoUninitialize();
    return decoded;
}
