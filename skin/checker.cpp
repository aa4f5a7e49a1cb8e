// The resource-module checker and previewer, reading modules through the platform emulation.
#include "checker.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <aygshell.h>
#include <emu.h>
#include <windows.h>

#include "canvas.h"
#include "pe.h"
#include "surface/imageids.h"

namespace skin {

namespace {

const uint32_t RESOURCE_TYPE_BITMAP = 2; // RT_BITMAP

// The path the panel loads its pictures from; the file under test is registered there.
const char MODULE_CE_PATH[] = "\\Windows\\KWENO_Resources.dll";

bool readFile(const std::string &path, std::vector<uint8_t> &bytes)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return !file.bad();
}

std::string idText(LONG id)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%04X", (unsigned)id);
    return text;
}

// The bitmap the panel would get for the picture, or null.
HBITMAP loadPicture(HMODULE module, const ImageEntry &entry)
{
    if (entry.kind == IMAGE_ICON)
        return LoadBitmapW(module, MAKEINTRESOURCEW(entry.id));
    return SHLoadImageResource(module, (UINT)entry.id);
}

// Why a picture that did not load failed: absent, cut off, or there but unreadable.
std::string whyNotLoaded(const PeInfo &pe, const ImageEntry &entry)
{
    const PeResource *bitmap = pe.find(RESOURCE_TYPE_BITMAP, (uint32_t)entry.id);
    if (bitmap && !bitmap->complete)
        return "is cut off by the end of the file";
    if (bitmap || (entry.kind != IMAGE_ICON && pe.hasId((uint32_t)entry.id)))
        return "does not decode";
    return "missing";
}

std::string sizeText(int width, int height)
{
    return std::to_string(width) + "×" + std::to_string(height);
}

// Opens the file as the panel opens its module; null with a fault line when it cannot be.
HMODULE openModule(const std::string &path, PeInfo &pe, std::vector<std::string> &faults)
{
    std::vector<uint8_t> bytes;
    if (!readFile(path, bytes)) {
        faults.push_back(path + ": cannot be read");
        return nullptr;
    }
    pe = inspectPe(bytes);
    if (!pe.isPe) {
        faults.push_back(path + ": not a resource module (" + pe.problem + ")");
        return nullptr;
    }
    if (pe.truncated()) {
        faults.push_back(path + ": truncated: " + std::to_string(pe.fileSize) + " bytes, its sections need " +
                         std::to_string(pe.neededSize));
    }
    if (pe.resources.empty()) {
        faults.push_back(path + ": not a resource module (" + (pe.problem.empty() ? "no resources" : pe.problem) + ")");
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

} // namespace

CheckResult checkModule(const std::string &path, const std::vector<Variant> &variants)
{
    CheckResult result;
    PeInfo pe;
    HMODULE module = openModule(path, pe, result.faults);
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
        std::string name = idText(entry.id) + " " + entry.description + ": ";
        HBITMAP bitmap = loadPicture(module, entry);
        if (!bitmap) {
            result.faults.push_back(name + whyNotLoaded(pe, entry));
            continue;
        }
        BITMAP info = {};
        if (GetObjectW(bitmap, sizeof info, &info) != (int)sizeof info) {
            result.faults.push_back(name + "does not decode");
        } else if (info.bmWidth != entry.width || std::abs(info.bmHeight) != entry.height) {
            result.faults.push_back(name + "is " + sizeText(info.bmWidth, std::abs(info.bmHeight)) + ", expected " +
                                    sizeText(entry.width, entry.height));
        }
        DeleteObject(bitmap);
    }
    closeModule(module);
    return result;
}

std::vector<std::string> previewModule(const std::string &path, const std::string &folder)
{
    std::vector<std::string> faults;
    PeInfo pe;
    HMODULE module = openModule(path, pe, faults);
    if (!module)
        return faults;
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    for (const ImageEntry &entry : allImages()) {
        HBITMAP bitmap = loadPicture(module, entry);
        BITMAP info = {};
        if (!bitmap || GetObjectW(bitmap, sizeof info, &info) != (int)sizeof info) {
            faults.push_back(idText(entry.id) + " " + entry.description + ": " + whyNotLoaded(pe, entry));
            if (bitmap)
                DeleteObject(bitmap);
            continue;
        }
        Image image(info.bmWidth, std::abs(info.bmHeight), 0);
        for (int y = 0; y < image.height; ++y) {
            for (int x = 0; x < image.width; ++x)
                image.set(x, y, emuBitmapPixel(bitmap, x, y) & 0xFFFFFF);
        }
        DeleteObject(bitmap);
        std::string error = writePng((std::filesystem::path(folder) / (entry.name + ".png")).string(), image);
        if (!error.empty())
            faults.push_back(error);
    }
    closeModule(module);
    return faults;
}

} // namespace skin
