// The shell's image loader for desktop Windows, which has none. It reads what the device reads: the
// image file stored under the resource type "GIF" (PNG, GIF, JPEG, BMP), decoded by the platform's
// imaging component (WIC) into a DIB section; anything else gives null.
#if defined(_WIN32) && !defined(_WIN32_WCE)

#include <objbase.h>
#include <wincodec.h>

#include <aygshell.h>

// The largest picture taken: more than any face or popup, less than memory can always give.
static const UINT MAX_PICTURE_SIDE = 16384;
static const UINT MAX_PICTURE_PIXELS = 1 << 24;

template <class T> static void release(T *&object)
{
    if (object) {
        object->Release();
        object = 0;
    }
}

// A top-down 32-bit DIB section of the given size.
static HBITMAP createDibSection(UINT width, UINT height, void **bits)
{
    BITMAPINFO info;
    ZeroMemory(&info, sizeof info);
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = (LONG)width;
    info.bmiHeader.biHeight = -(LONG)height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return CreateDIBSection(0, &info, DIB_RGB_COLORS, bits, 0, 0);
}

// Decodes the first frame of an image file; null when WIC does not know it or it is damaged.
static HBITMAP decodeImageFile(const BYTE *data, DWORD size)
{
    IWICImagingFactory *factory = 0;
    IWICStream *stream = 0;
    IWICBitmapDecoder *decoder = 0;
    IWICBitmapFrameDecode *frame = 0;
    IWICFormatConverter *converter = 0;
    HBITMAP bitmap = 0;
    void *bits = 0;
    UINT width = 0, height = 0;

    HRESULT hr =
        CoCreateInstance(CLSID_WICImagingFactory, 0, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory, (void **)&factory);
    if (SUCCEEDED(hr))
        hr = factory->CreateStream(&stream);
    if (SUCCEEDED(hr))
        hr = stream->InitializeFromMemory((BYTE *)data, size);
    if (SUCCEEDED(hr))
        hr = factory->CreateDecoderFromStream(stream, 0, WICDecodeMetadataCacheOnDemand, &decoder);
    if (SUCCEEDED(hr))
        hr = decoder->GetFrame(0, &frame);
    if (SUCCEEDED(hr))
        hr = factory->CreateFormatConverter(&converter);
    // Premultiplied alpha: a pixel without colour of its own comes out black, as a bitmap has no alpha.
    if (SUCCEEDED(hr))
        hr = converter->Initialize(frame, GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone, 0, 0.0,
                                   WICBitmapPaletteTypeCustom);
    if (SUCCEEDED(hr))
        hr = converter->GetSize(&width, &height);
    if (SUCCEEDED(hr) && (width == 0 || height == 0 || width > MAX_PICTURE_SIDE || height > MAX_PICTURE_SIDE ||
                          width * height > MAX_PICTURE_PIXELS))
        hr = E_FAIL;
    if (SUCCEEDED(hr)) {
        bitmap = createDibSection(width, height, &bits);
        if (!bitmap)
            hr = E_OUTOFMEMORY;
    }
    if (SUCCEEDED(hr))
        hr = converter->CopyPixels(0, width * 4, width * 4 * height, (BYTE *)bits);
    if (FAILED(hr) && bitmap) {
        DeleteObject(bitmap);
        bitmap = 0;
    }
    release(converter);
    release(frame);
    release(decoder);
    release(stream);
    release(factory);
    return bitmap;
}

extern "C" HBITMAP WINAPI SHLoadImageResource(HINSTANCE hinst, UINT uIdImageFile)
{
    HRSRC found = FindResourceW(hinst, MAKEINTRESOURCEW(uIdImageFile), L"GIF");
    if (!found)
        return 0;
    DWORD size = SizeofResource(hinst, found);
    HGLOBAL loaded = LoadResource(hinst, found);
    const BYTE *data = loaded ? (const BYTE *)LockResource(loaded) : 0;
    if (!data || size == 0)
        return 0;
    // The imaging component is a COM server. The host's thread may already have chosen its
    // apartment; then COM is ready and this call only tells so.
    HRESULT com = CoInitializeEx(0, COINIT_APARTMENTTHREADED);
    HBITMAP bitmap = decodeImageFile(data, size);
    if (SUCCEEDED(com))
        CoUninitialize();
    return bitmap;
}

#endif
