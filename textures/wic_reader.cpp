#include "textures/wic_reader.h"

#include <windows.h>
#include <objbase.h>
#include <wincodec.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "textures/picture_kind.h"
#include "textures/texture_limit.h"

namespace {

// What one decoding holds, released in ReleaseDecoding whatever happened.
struct WicDecoding {
    IWICImagingFactory* factory;
    IWICBitmapDecoder* decoder;
    IWICBitmapFrameDecode* frame;
    IWICFormatConverter* converter;
    unsigned char* bgra;    // malloc, the converter's pixels
    unsigned char* pixels;  // malloc, handed over with the image
    RgbImage* image;        // malloc, the result
    UINT width, height;     // the picture's, once known
    bool tooLarge;          // larger than the driver's textures
};

// Plain words for the imaging component's own codes, which the system's
// message table may not hold.
const struct {
    HRESULT code;
    const char* words;
} wicReasons[] = {
    {WINCODEC_ERR_COMPONENTNOTFOUND, "not a picture format this system can read"},
    {WINCODEC_ERR_UNKNOWNIMAGEFORMAT, "not a picture format this system can read"},
    {WINCODEC_ERR_BADHEADER, "the picture's header is damaged"},
    {WINCODEC_ERR_BADIMAGE, "the picture's data is damaged"},
    {WINCODEC_ERR_BADSTREAMDATA, "the picture's data is damaged"},
    {WINCODEC_ERR_STREAMREAD, "the file ends before the picture does"},
    {WINCODEC_ERR_FRAMEMISSING, "the file holds no picture"},
    {E_OUTOFMEMORY, "out of memory"},
};

void RecordFailure(const char* path, HRESULT result)
{
    char reason[512] = "";
    for (const auto& known : wicReasons)
        if (known.code == result)
            lstrcpynA(reason, known.words, sizeof(reason));
    if (reason[0] == '\0' &&
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                       static_cast<DWORD>(result), 0, reason, sizeof(reason), nullptr) > 0) {
        // One line, without the system's closing period and line break.
        for (char* c = reason; *c != '\0'; ++c)
            if (*c == '\r' || *c == '\n')
                *c = ' ';
        for (size_t n = lstrlenA(reason); n > 0 && (reason[n - 1] == ' ' || reason[n - 1] == '.'); --n)
            reason[n - 1] = '\0';
    }
    if (reason[0] == '\0')
        std::snprintf(reason, sizeof(reason), "error 0x%08lX", static_cast<unsigned long>(result));
    char text[1024];
    std::snprintf(text, sizeof(text), "Cannot read the picture %s: %s.", path, reason);
    RecordImageError(text);
}

// Decodes into decoding.image, making the parts on the way; the first
// failure's HRESULT, S_OK when the image is made.
HRESULT Decode(const wchar_t* path, int maxTextureSide, WicDecoding& decoding)
{
    HRESULT result = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_PPV_ARGS(&decoding.factory));
    if (SUCCEEDED(result))
        result = decoding.factory->CreateDecoderFromFilename(
            path, nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand, &decoding.decoder);
    // The first frame: a GIF's first image, a TIFF's first page.
    if (SUCCEEDED(result))
        result = decoding.decoder->GetFrame(0, &decoding.frame);
    if (SUCCEEDED(result))
        result = decoding.factory->CreateFormatConverter(&decoding.converter);
    // 32-bit BGRA: the one target every decoder's format converts to (Wine's
    // converter makes no 24-bit pixels of a palette).
    if (SUCCEEDED(result))
        result = decoding.converter->Initialize(decoding.frame, GUID_WICPixelFormat32bppBGRA,
                                                WICBitmapDitherTypeNone, nullptr, 0.0,
                                                WICBitmapPaletteTypeCustom);
    UINT& width = decoding.width;
    UINT& height = decoding.height;
    if (SUCCEEDED(result))
        result = decoding.converter->GetSize(&width, &height);
    if (FAILED(result))
        return result;
    // CopyPixels counts its buffer in 32 bits; RgbImage its sides in 31.
    const uint64_t bgraBytes = static_cast<uint64_t>(width) * height * 4;
    if (width == 0 || height == 0 || width > INT32_MAX || height > INT32_MAX || bgraBytes > UINT32_MAX)
        return WINCODEC_ERR_BADIMAGE;
    // Refused before its pixels are read: a small file may hold a picture of
    // gigabytes, and the texture could not take it anyway.
    if (!PictureFitsTextureLimit(static_cast<int>(width), static_cast<int>(height), maxTextureSide)) {
        decoding.tooLarge = true;
        return WINCODEC_ERR_IMAGESIZEOUTOFRANGE;
    }
    decoding.bgra = static_cast<unsigned char*>(std::malloc(static_cast<size_t>(bgraBytes)));
    decoding.pixels = static_cast<unsigned char*>(std::malloc(static_cast<size_t>(bgraBytes / 4 * 3)));
    decoding.image = static_cast<RgbImage*>(std::malloc(sizeof(RgbImage)));
    if (decoding.bgra == nullptr || decoding.pixels == nullptr || decoding.image == nullptr)
        return E_OUTOFMEMORY;
    result = decoding.converter->CopyPixels(nullptr, width * 4, static_cast<UINT>(bgraBytes),
                                            decoding.bgra);
    if (FAILED(result))
        return result;
    BgraTopDownToRgbBottomUp(decoding.bgra, width, height, decoding.pixels);
    decoding.image->width = static_cast<int32_t>(width);
    decoding.image->height = static_cast<int32_t>(height);
    decoding.image->pixels = decoding.pixels;
    return S_OK;
}

// Releases every COM object, and the image and its pixels unless made.
void ReleaseDecoding(WicDecoding& decoding, bool made)
{
    if (decoding.converter != nullptr)
        decoding.converter->Release();
    if (decoding.frame != nullptr)
        decoding.frame->Release();
    // The decoder holds the file open until it goes.
    if (decoding.decoder != nullptr)
        decoding.decoder->Release();
    if (decoding.factory != nullptr)
        decoding.factory->Release();
    std::free(decoding.bgra);
    if (!made) {
        std::free(decoding.pixels);
        std::free(decoding.image);
        decoding.image = nullptr;
    }
}

}  // namespace

RgbImage* LoadWicImage(const char* path, int maxTextureSide)
{
    RecordImageError("");
    wchar_t widePath[MAX_PATH] = {};
    if (MultiByteToWideChar(CP_ACP, 0, path, -1, widePath, MAX_PATH) == 0) {
        RecordFailure(path, HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE));
        return nullptr;
    }
    // The caller's thread may have COM already, in either model; only a call
    // that started it here ends it here.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    WicDecoding decoding = {};
    const HRESULT result = Decode(widePath, maxTextureSide, decoding);
    ReleaseDecoding(decoding, SUCCEEDED(result));
    if (SUCCEEDED(com))
        CoUninitialize();
    if (decoding.tooLarge) {
        char text[160];
        RecordImageError(FormatTooLargeMessage(text, sizeof(text), static_cast<int>(decoding.width),
                                               static_cast<int>(decoding.height), maxTextureSide));
    } else if (FAILED(result)) {
        RecordFailure(path, result);
    }
    return decoding.image;
}
