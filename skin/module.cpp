// Packs pictures into the device's resource module with the mingw-w64 resource compiler and linker.
#include "module.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "bytes.h"
#include "dib.h"
#include "peformat.h"
#include "versiontemplate.h"
#include "wholefile.h"

extern char **environ;

namespace skin {

namespace {

// One .rsrc section, no code, no entry point, no relocations.
const char LINKER_SCRIPT[] = "SECTIONS\n"
                             "{\n"
                             "  .rsrc __image_base__ + __section_alignment__ : { *(.rsrc) *(SORT(.rsrc$*)) }\n"
                             "  /DISCARD/ : { *(*) }\n"
                             "}\n";

// The tool the build found, or the same name on the PATH where that one is not (another machine).
std::string tool(const char *configured)
{
    std::error_code ec;
    if (std::filesystem::exists(configured, ec))
        return configured;
    return std::filesystem::path(configured).filename().string();
}

// Runs the program with the arguments, waiting for it; empty on success, else why not.
std::string run(const std::vector<std::string> &arguments)
{
    std::vector<char *> argv;
    for (const std::string &a : arguments)
        argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return "cannot run " + arguments[0] + " (is binutils-mingw-w64-x86-64 installed?)";
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return arguments[0] + " failed";
    return "";
}

// A folder of its own for the intermediate files, removed when the packing ends.
struct WorkFolder {
    std::filesystem::path path;
    WorkFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "kweno-skin-XXXXXX").string();
        if (mkdtemp(pattern.data()))
            path = pattern;
    }
    ~WorkFolder()
    {
        std::error_code ec;
        if (!path.empty())
            std::filesystem::remove_all(path, ec);
    }
};

// Every "@name@" of the text replaced by its value.
std::string substitute(std::string text, const std::vector<std::pair<std::string, std::string>> &values)
{
    for (const auto &[name, value] : values)
        for (size_t at = text.find("@" + name + "@"); at != std::string::npos;
             at = text.find("@" + name + "@", at + value.size()))
            text.replace(at, name.size() + 2, value);
    return text;
}

} // namespace

std::string versionScript(const std::string &version)
{
    // Read without a preprocessor, so without the template's opening comment.
    std::string text = VERSION_TEMPLATE;
    size_t comment = text.find("*/");
    if (text.compare(0, 2, "/*") == 0 && comment != std::string::npos)
        text.erase(0, text.find_first_not_of("\n", comment + 2));
    // Four numbers apart by commas, missing ones 0, as the resource compiler wants them.
    std::string numbers = version;
    for (char &c : numbers)
        if (c == '.')
            c = ',';
    for (size_t parts = 1 + std::count(version.begin(), version.end(), '.'); parts < 4; ++parts)
        numbers += ",0";
    return substitute(text, {{"numbers", numbers},
                             {"version", version},
                             {"description", KWENO_RESOURCES_DESCRIPTION},
                             {"PROJECT_NAME", KWENO_PRODUCT}});
}

StoredPicture storePicture(const ImageEntry &entry, const Indexed &indexed, StoredFormat format)
{
    StoredPicture picture;
    picture.id = entry.id;
    // The icons go through LoadBitmapW, which reads bitmap resources only.
    picture.bitmap = entry.kind == IMAGE_ICON || format == STORED_BITMAP;
    StoredFormat stored = entry.kind == IMAGE_ICON ? STORED_BITMAP : format;
    picture.data = encodeStored(indexed, stored);
    picture.file = entry.name + "." + (picture.bitmap ? "bmp" : storedFormatExtension(stored));
    return picture;
}

std::string markForDevice(std::vector<uint8_t> &file)
{
    uint32_t pe =
        file.size() >= 0x40 && file[0] == 'M' && file[1] == 'Z' ? emu::le32(&file[emu::PE_SIGNATURE_POINTER]) : 0;
    if (pe == 0 || file.size() < pe + emu::FILE_HEADER_AT + 2 || std::memcmp(&file[pe], "PE\0\0", 4) != 0)
        return "not a module";
    // The linker knows no Windows CE target, so it writes an i386 machine type; the module holds no
    // code, only resources, so the field is all that differs in a module for the ARM device.
    file[pe + emu::FILE_HEADER_AT] = (uint8_t)emu::IMAGE_FILE_MACHINE_ARM;
    file[pe + emu::FILE_HEADER_AT + 1] = (uint8_t)(emu::IMAGE_FILE_MACHINE_ARM >> 8);
    return "";
}

std::string linkModule(const std::vector<StoredPicture> &pictures, const std::string &version,
                       std::vector<uint8_t> *module)
{
    WorkFolder work;
    if (work.path.empty())
        return "cannot make a temporary folder";
    std::filesystem::path images = work.path / "images";
    std::error_code ec;
    std::filesystem::create_directories(images, ec);
    // Read without a preprocessor, so no comment and no directive: ids and files only.
    std::string script = versionScript(version) + "LANGUAGE 0, 0\n";
    for (const StoredPicture &picture : pictures) {
        // The resource compiler takes a bitmap from a whole .bmp file and stores only its DIB.
        if (!writeFile(images / picture.file, picture.bitmap ? bmpFile(picture.data) : picture.data))
            return "cannot write " + (images / picture.file).string();
        script += std::to_string(picture.id) + (picture.bitmap ? " BITMAP" : " GIF") + " \"" +
                  (images / picture.file).string() + "\"\n";
    }
    std::string rc = (work.path / "resources.rc").string(), object = (work.path / "resources.o").string(),
                ld = (work.path / "resource-only.ld").string(), linked = (work.path / "module.dll").string();
    if (!writeFile(rc, script) || !writeFile(ld, std::string(LINKER_SCRIPT)))
        return "cannot write into " + work.path.string();
    std::string error = run({tool(KWENO_WINDRES), "--preprocessor=cat", "--target=pe-i386", "-i", rc, "-o", object});
    if (error.empty())
        error = run({tool(KWENO_PE_LD),
                     "-m",
                     "i386pe",
                     "-T",
                     ld,
                     "--dll",
                     "-e",
                     "0",
                     "--subsystem",
                     "9:5.00",
                     "--major-os-version",
                     "5",
                     "--minor-os-version",
                     "0",
                     "--disable-reloc-section",
                     "--no-insert-timestamp",
                     "-s",
                     "-o",
                     linked,
                     object});
    if (!error.empty())
        return error;
    *module = wholeFile(linked);
    error = markForDevice(*module);
    return error.empty() ? "" : linked + ": " + error;
}

} // namespace skin
