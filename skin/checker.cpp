// The resource-module checker and previewer, reading modules through the platform emulation.
#include "checker.h"

#include <cstdio>
#include <cstdlib>
#if !defined(__wasi__)
#include <filesystem>
#endif

#include <aygshell.h>
#include <commctrl.h>
#include <emu.h>
#include <windows.h>

#include "canvas.h"
#include "surface/imageids.h"
#include "wholefile.h"

namespace skin {

namespace {

// The path the panel loads its pictures from; the file under test is registered there.
const char MODULE_CE_PATH[] = "\\Windows\\KWENO_Resources.dll";

std::string idText(LONG id)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%04X", (unsigned)id);
    return text;
}

std::string sizeText(int width, int height)
{
    return std::to_string(width) + "×" + std::to_string(height);
}

// The bitmap the panel would get for the picture, or null.
HBITMAP loadPicture(HMODULE module, const ImageEntry &entry)
{
    if (entry.kind == IMAGE_ICON)
        return LoadBitmapW(module, MAKEINTRESOURCEW(entry.id));
    return SHLoadImageResource(module, (UINT)entry.id);
}

// Why the icon, a bitmap resource, gave no bitmap.
std::string whyIconNotLoaded(const EmuImageResource &found)
{
    if (found.cutOff)
        return "is cut off by the end of the file";
    return found.bitmap ? "does not decode" : "missing";
}

// Why a face or popup, an image file under "GIF", gave no bitmap.
std::string whyImageNotLoaded(const EmuImageResource &found)
{
    if (found.cutOff)
        return "is cut off by the end of the file";
    if (!found.imageFile && found.bitmap)
        return "stored as a bitmap resource; the device's image loader reads only image files under the type GIF";
    if (!found.imageFile)
        return "missing";
    if (found.size == 0)
        return "is an empty resource";
    if (std::string(found.format) == "unknown")
        return "is no image file (neither PNG, GIF, JPEG nor BMP)";
    return std::string("is a ") + found.format + " that does not decode: " + found.problem;
}

// What the picture the loader gave is wrong in, beyond its size: what the device would not show.
void imageWarnings(const EmuImageResource &found, const std::string &name, std::vector<std::string> &faults)
{
    if (found.frames > 1)
        faults.push_back(name + "is an animation of " + std::to_string(found.frames) +
                         " frames; the panel shows only the first");
    if (found.transparent)
        faults.push_back(name + "has transparent pixels; the panel copies pictures without blending, so they show "
                                "black here and may show anything on the device");
}

// The panel keeps its icon in an image list without a colour flag, which the device makes with the
// system's 16 colours: an icon of other colours is shown changed.
void iconWarnings(HBITMAP icon, const std::string &name, std::vector<std::string> &faults)
{
    HIMAGELIST list = ImageList_Create(ICON_SIZE, ICON_SIZE, ILC_MASK, 1, 1);
    if (!list || ImageList_AddMasked(list, icon, RGB(0xFF, 0x00, 0xFF)) != 0) {
        faults.push_back(name + "does not go into the panel's image list");
    } else {
        int changed = 0;
        for (int y = 0; y < ICON_SIZE; ++y)
            for (int x = 0; x < ICON_SIZE; ++x) {
                DWORD kept = emuImageListPixel(list, 0, x, y);
                changed += kept != EMU_TRANSPARENT && kept != emuBitmapPixel(icon, x, y);
            }
        if (changed)
            faults.push_back(name + "has " + std::to_string(changed) +
                             " pixels of colours outside the system's 16, which the panel's image list changes");
    }
    if (list)
        ImageList_Destroy(list);
}

// Opens the file's bytes as the panel opens its module; null with a fault line when it cannot be.
HMODULE openModule(const std::vector<uint8_t> &bytes, const std::string &path, std::vector<std::string> &faults)
{
    EmuModuleFile file;
    emuInspectModuleFile(bytes.data(), bytes.size(), &file);
    if (!file.isModule) {
        faults.push_back(path + ": not a resource module (" + file.problem + ")");
        return nullptr;
    }
    if (file.sectionsEnd > file.fileSize) {
        faults.push_back(path + ": truncated: " + std::to_string(file.fileSize) + " bytes, its sections need " +
                         std::to_string(file.sectionsEnd));
    }
    if (file.resources == 0 && file.sectionsEnd <= file.fileSize) {
        faults.push_back(path + ": not a resource module (no resources)");
        return nullptr;
    }
    emuRegisterModule(MODULE_CE_PATH, bytes.data(), bytes.size());
    HMODULE module = LoadLibraryExW(RESOURCE_MODULE_PATH, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) {
        faults.push_back(path + ": not a resource module (the platform does not load it)");
        emuUnregisterModule(MODULE_CE_PATH);
    }
    return module;
}

void closeModule(HMODULE module)
{
    FreeLibrary(module);
    emuUnregisterModule(MODULE_CE_PATH);
}

// Checks one picture: loads it as the panel would and says what is wrong with it, if anything.
void checkPicture(HMODULE module, const ImageEntry &entry, std::vector<std::string> &faults)
{
    std::string name = idText(entry.id) + " " + entry.description + ": ";
    EmuImageResource found;
    emuInspectImageResource(module, (unsigned)entry.id, &found);
    HBITMAP bitmap = loadPicture(module, entry);
    if (!bitmap) {
        faults.push_back(name + (entry.kind == IMAGE_ICON ? whyIconNotLoaded(found) : whyImageNotLoaded(found)));
        return;
    }
    BITMAP info = {};
    if (GetObjectW(bitmap, sizeof info, &info) != (int)sizeof info) {
        faults.push_back(name + "does not decode");
    } else if (info.bmWidth != entry.width || std::abs(info.bmHeight) != entry.height) {
        faults.push_back(name + "is " + sizeText(info.bmWidth, std::abs(info.bmHeight)) + ", expected " +
                         sizeText(entry.width, entry.height));
    }
    if (entry.kind == IMAGE_ICON)
        iconWarnings(bitmap, name, faults);
    else
        imageWarnings(found, name, faults);
    DeleteObject(bitmap);
}

} // namespace

CheckResult checkModuleBytes(const std::vector<uint8_t> &bytes, const std::string &path,
                             const std::vector<Variant> &variants)
{
    CheckResult result;
    HMODULE module = openModule(bytes, path, result.faults);
    if (!module)
        return result;
    std::vector<LONG> seen;
    for (const ImageEntry &entry : allImages()) {
        bool wanted = false;
        for (Variant variant : variants)
            wanted = wanted || usedBy(entry, variant);
        // The pressed pictures serve both variants: check each once.
        bool known = false;
        for (LONG id : seen)
            known = known || id == entry.id;
        if (!wanted || known)
            continue;
        seen.push_back(entry.id);
        ++result.checked;
        checkPicture(module, entry, result.faults);
    }
    closeModule(module);
    return result;
}

// The files of the desktop's tools; the page's WebAssembly has none (nor the C++ library's streams).
#if !defined(__wasi__)

namespace {

// The file's bytes; false with a fault line when it cannot be read.
bool readFile(const std::string &path, std::vector<uint8_t> &bytes, std::vector<std::string> &faults)
{
    if (!::readFile(path, &bytes)) {
        faults.push_back(path + ": cannot be read");
        return false;
    }
    return true;
}

} // namespace

CheckResult checkModule(const std::string &path, const std::vector<Variant> &variants)
{
    std::vector<uint8_t> bytes;
    CheckResult result;
    if (!readFile(path, bytes, result.faults))
        return result;
    return checkModuleBytes(bytes, path, variants);
}

std::vector<std::string> previewModule(const std::string &path, const std::string &folder)
{
    std::vector<std::string> faults;
    std::vector<uint8_t> bytes;
    if (!readFile(path, bytes, faults))
        return faults;
    HMODULE module = openModule(bytes, path, faults);
    if (!module)
        return faults;
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    for (const ImageEntry &entry : allImages()) {
        HBITMAP bitmap = loadPicture(module, entry);
        BITMAP info = {};
        if (!bitmap || GetObjectW(bitmap, sizeof info, &info) != (int)sizeof info) {
            EmuImageResource found;
            emuInspectImageResource(module, (unsigned)entry.id, &found);
            faults.push_back(idText(entry.id) + " " + entry.description + ": " +
                             (entry.kind == IMAGE_ICON ? whyIconNotLoaded(found) : whyImageNotLoaded(found)));
            if (bitmap)
                DeleteObject(bitmap);
            continue;
        }
        Image image(info.bmWidth, std::abs(info.bmHeight), 0);
        for (int y = 0; y < image.height; ++y) {
            for (int x = 0; x < image.width; ++x)
                image.at(x, y) = emuBitmapPixel(bitmap, x, y) & 0xFFFFFF;
        }
        DeleteObject(bitmap);
        std::string file = (std::filesystem::path(folder) / (entry.name + ".png")).string(), error;
        if (!writePng(image, file, &error))
            faults.push_back("cannot write " + file + ": " + error);
    }
    closeModule(module);
    return faults;
}

#endif

} // namespace skin
