// The installs the device keeps, their records, and their removal.
#include "install/lifecycle.h"

#include "core/core.h"
#include "core/files.h"

#include <algorithm>

namespace emu {
namespace {

// In the order they were installed; an upgrade goes to the end.
std::vector<InstallRecord> installs;

std::vector<InstallRecord>::iterator find(const std::string &appName)
{
    return std::find_if(installs.begin(), installs.end(),
                        [&](const InstallRecord &r) { return lowered(r.appName()) == lowered(appName); });
}

} // namespace

void InstallRecord::makeFolder(const std::string &folder)
{
    if (!deviceFolderExists(folder))
        folders_.push_back(folder);
    makeDeviceFolder(folder);
}

bool InstallRecord::writeFile(const std::string &path, const std::vector<uint8_t> &bytes)
{
    files_.push_back(path);
    if (deviceFileInUse(path)) {
        replaceDeviceFileAtRestart(path, &bytes);
        return true;
    }
    writeDeviceFile(path, bytes);
    return false;
}

void InstallRecord::setValue(const std::string &key, const std::string &name, DWORD type,
                             const std::vector<uint8_t> &data)
{
    for (size_t cut = key.find('\\');; cut = key.find('\\', cut + 1)) {
        std::string along = key.substr(0, cut);
        if (!registryKeyExists(along))
            keys_.push_back(along);
        if (cut == std::string::npos)
            break;
    }
    OldValue old{key, name, false, REG_NONE, {}};
    old.existed = registryValue(key, name, &old.type, &old.data);
    values_.push_back(old);
    emuRegSetRaw(key.c_str(), name.c_str(), type, data.data(), (DWORD)data.size());
}

bool isInstalled(const std::string &appName)
{
    return find(appName) != installs.end();
}

void keepInstall(InstallRecord record)
{
    installs.push_back(std::move(record));
}

bool removeInstall(const std::string &appName)
{
    auto it = find(appName);
    if (it == installs.end())
        return false;
    InstallRecord record = std::move(*it);
    installs.erase(it);
    for (auto v = record.values_.rbegin(); v != record.values_.rend(); ++v) {
        if (v->existed)
            emuRegSetRaw(v->key.c_str(), v->name.c_str(), v->type, v->data.data(), (DWORD)v->data.size());
        else
            emuRegDeleteValue(v->key.c_str(), v->name.c_str());
    }
    for (auto k = record.keys_.rbegin(); k != record.keys_.rend(); ++k)
        emuRegDeleteKey(k->c_str());
    bool restart = false;
    for (auto f = record.files_.rbegin(); f != record.files_.rend(); ++f) {
        if (deviceFileInUse(*f)) {
            replaceDeviceFileAtRestart(*f, nullptr);
            restart = true;
        } else {
            removeDeviceFile(*f);
        }
    }
    for (auto f = record.folders_.rbegin(); f != record.folders_.rend(); ++f)
        removeDeviceFolder(*f);
    return restart;
}

const InstallRecord *installAt(size_t n)
{
    return n < installs.size() ? &installs[n] : nullptr;
}

static void resetInstalls()
{
    installs.clear();
}
// The records live in the device's store: a restart keeps them.
const RoomReset installsReset(resetInstalls, keepEverything);

} // namespace emu
