// The device's file system: its own files and folders in memory, what the installer or a host
// put there, and host folders mapped onto CE folders.
#include "core/files.h"

#include "bytes.h"
#include "core/core.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <set>

namespace emu {
namespace {

// The CE strings of a Windows Mobile handheld (Pocket PC) and the folders they stand for, which
// every such device has; a device with a storage volume puts its name in front, this one has none.
const struct {
    int number;
    const char *folder;
} shellFolders[] = {
    {1, "\\Program Files"},
    {2, "\\Windows"},
    {4, "\\Windows\\StartUp"},
    {5, "\\My Documents"},
    {8, "\\Program Files\\Games"},
    {11, "\\Windows\\Start Menu\\Programs"},
    {14, "\\Windows\\Start Menu\\Programs\\Games"},
    {15, "\\Windows\\Fonts"},
    {17, "\\Windows\\Start Menu"},
    {0, nullptr},
};

std::map<std::string, std::vector<uint8_t>> files; // by lower-cased CE path
std::set<std::string> folders;                     // made on the device, lower-cased
std::map<std::string, std::string> mappedFolders;  // lower-cased CE folder -> host folder
// Loaded modules' files, by lower-cased CE path. Never destroyed: a module still loaded when the
// program ends lets go of its file after this library's objects may be gone.
std::map<std::string, int> &holds = *new std::map<std::string, int>;
// What the next restart does to a file in use: replace it with the bytes, or remove it (none).
std::map<std::string, std::pair<bool, std::vector<uint8_t>>> atRestart;

// "\Windows\x.dll" with backslashes (forward slashes are taken as the same); a bare name is
// looked for in \Windows, where the device keeps its modules.
std::string canonicalPath(const std::string &path)
{
    std::string p(path);
    for (char &c : p)
        if (c == '/')
            c = '\\';
    if (p.find('\\') == std::string::npos)
        p = "\\Windows\\" + p;
    return p;
}

// The lower-cased canonical path without trailing backslashes; the root is "".
std::string key(const std::string &path)
{
    std::string k = lowered(canonicalPath(path));
    while (!k.empty() && k.back() == '\\')
        k.pop_back();
    return k;
}

std::vector<std::string> components(const std::string &path)
{
    std::vector<std::string> parts;
    std::string part;
    for (char c : path) {
        if (c == '\\') {
            if (!part.empty())
                parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty())
        parts.push_back(part);
    return parts;
}

// The host file of a name in a host folder, matching the name without regard to case as the
// device's file system does.
bool hostEntry(const std::string &folder, const std::string &name, std::string *found)
{
    DIR *dir = opendir(folder.c_str());
    if (!dir)
        return false;
    std::string want = lowered(name);
    bool ok = false;
    while (dirent *e = readdir(dir)) {
        if (lowered(e->d_name) == want) {
            *found = folder + "/" + e->d_name;
            ok = true;
            break;
        }
    }
    closedir(dir);
    return ok;
}

// The host path of a CE path (a file or folder) below the longest mapped folder holding it.
bool hostPathOf(const std::string &pathKey, std::string *host)
{
    const std::pair<const std::string, std::string> *best = nullptr;
    for (auto &m : mappedFolders)
        if (pathKey.compare(0, m.first.size(), m.first) == 0 &&
            (pathKey.size() == m.first.size() || pathKey[m.first.size()] == '\\') &&
            (!best || m.first.size() > best->first.size()))
            best = &m;
    if (!best)
        return false;
    *host = best->second;
    for (const std::string &part : components(pathKey.substr(best->first.size()))) {
        if (part == "." || part == "..")
            return false; // a CE path never leaves the folder it is mapped into
        if (!hostEntry(*host, part, host))
            return false;
    }
    return true;
}

bool isHostFolder(const std::string &path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace

bool readHostFile(const std::string &path, std::vector<uint8_t> *bytes, std::string *why)
{
    struct stat st;
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return fail(why, "no such file");
    if ((unsigned long long)st.st_size > maxFileSize)
        return fail(why, "larger than 64 MiB");
    FILE *f = fopen(path.c_str(), "rb");
    if (!f)
        return fail(why, "cannot be opened");
    bytes->resize((size_t)st.st_size);
    bool ok = fread(bytes->data(), 1, bytes->size(), f) == bytes->size();
    fclose(f);
    return ok || fail(why, "cannot be read");
}

bool readDeviceFile(const std::string &cePath, std::vector<uint8_t> *bytes)
{
    std::string k = key(cePath);
    auto own = files.find(k);
    if (own != files.end()) {
        *bytes = own->second;
        return true;
    }
    std::string host;
    return hostPathOf(k, &host) && readHostFile(host, bytes);
}

// Writing or removing a file now takes the place of what waited for the restart.
void writeDeviceFile(const std::string &cePath, std::vector<uint8_t> bytes)
{
    atRestart.erase(key(cePath));
    files[key(cePath)] = std::move(bytes);
}

void makeDeviceFolder(const std::string &ceFolder)
{
    folders.insert(key(ceFolder));
}

void removeDeviceFile(const std::string &cePath)
{
    atRestart.erase(key(cePath));
    files.erase(key(cePath));
}

void removeDeviceFolder(const std::string &ceFolder)
{
    std::string k = key(ceFolder);
    for (const auto &f : files)
        if (f.first.compare(0, k.size() + 1, k + "\\") == 0)
            return;
    for (const std::string &folder : folders)
        if (folder.compare(0, k.size() + 1, k + "\\") == 0)
            return;
    folders.erase(k);
}

void holdDeviceFile(const std::string &cePath)
{
    ++holds[key(cePath)];
}

void releaseDeviceFile(const std::string &cePath)
{
    auto held = holds.find(key(cePath));
    if (held != holds.end() && --held->second == 0)
        holds.erase(held);
}

bool deviceFileInUse(const std::string &cePath)
{
    return holds.count(key(cePath)) != 0;
}

void replaceDeviceFileAtRestart(const std::string &cePath, const std::vector<uint8_t> *bytes)
{
    atRestart[key(cePath)] = bytes ? std::make_pair(true, *bytes) : std::make_pair(false, std::vector<uint8_t>());
}

bool deviceFolderExists(const std::string &ceFolder)
{
    std::string k = key(ceFolder);
    if (k.empty() || folders.count(k))
        return true;
    for (int i = 0; shellFolders[i].folder; ++i)
        if (k == lowered(shellFolders[i].folder))
            return true;
    for (const auto &f : files)
        if (f.first.compare(0, k.size() + 1, k + "\\") == 0)
            return true;
    std::string host;
    return hostPathOf(k, &host) && isHostFolder(host);
}

const char *shellFolder(int number)
{
    for (int i = 0; shellFolders[i].folder; ++i)
        if (shellFolders[i].number == number)
            return shellFolders[i].folder;
    return nullptr;
}

static void resetFiles()
{
    files.clear();
    folders.clear();
    mappedFolders.clear();
    holds.clear();
    atRestart.clear();
}

// A restart keeps the device's files (and what stands for its ROM, the mapped folders); with every
// module unloaded, nothing holds a file, and what waited for the restart is done.
static void restartFiles()
{
    holds.clear();
    for (auto &pending : atRestart) {
        if (pending.second.first)
            files[pending.first] = std::move(pending.second.second);
        else
            files.erase(pending.first);
    }
    atRestart.clear();
}
const RoomReset filesReset(resetFiles, restartFiles);

} // namespace emu

using namespace emu;

extern "C" {

void emuMapFolder(const char *ceFolder, const char *hostFolder)
{
    std::string k = key(ceFolder ? ceFolder : "");
    if (hostFolder)
        mappedFolders[k] = hostFolder;
    else
        mappedFolders.erase(k);
}

void emuRegisterModule(const char *cePath, const void *bytes, size_t size)
{
    if (!cePath || (!bytes && size))
        return;
    const uint8_t *b = static_cast<const uint8_t *>(bytes);
    writeDeviceFile(cePath, std::vector<uint8_t>(b, b + size));
}

void emuUnregisterModule(const char *cePath)
{
    if (cePath)
        files.erase(key(cePath));
}

long long emuReadFile(const char *cePath, void *buffer, size_t size)
{
    std::vector<uint8_t> bytes;
    if (!cePath || !readDeviceFile(cePath, &bytes))
        return -1;
    if (buffer && !bytes.empty())
        memcpy(buffer, bytes.data(), size < bytes.size() ? size : bytes.size());
    return (long long)bytes.size();
}

int emuFolderExists(const char *ceFolder)
{
    return ceFolder && deviceFolderExists(ceFolder);
}

} // extern "C"
