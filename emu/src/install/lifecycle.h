// What the device's installer keeps of each install: a record of what it did, under its AppName, as
// the configuration manager keeps a rollback document; removing the install replays it in reverse.
// A file in use is written aside and put in place at the next restart.
#ifndef EMU_INSTALL_LIFECYCLE_H
#define EMU_INSTALL_LIFECYCLE_H

#include <cstdint>
#include <string>
#include <vector>

#include <windows.h>

namespace emu {

// What the device says when an install or a removal waits for a restart.
const char restartMessage[] = "You must restart the device to complete the installation";

class InstallRecord {
  public:
    explicit InstallRecord(const std::string &appName) : appName_(appName) {}

    // Makes the folder, noting it when it was not there.
    void makeFolder(const std::string &folder);
    // Writes the file, or when a loaded module holds it, puts it aside for the next restart; true
    // then.
    bool writeFile(const std::string &path, const std::vector<uint8_t> &bytes);
    // Sets the value, noting the keys it makes and what the value held before.
    void setValue(const std::string &key, const std::string &name, DWORD type, const std::vector<uint8_t> &data);

    const std::string &appName() const { return appName_; }

  private:
    friend bool removeInstall(const std::string &appName);
    struct OldValue {
        std::string key, name;
        bool existed;
        DWORD type;
        std::vector<uint8_t> data;
    };
    std::string appName_;
    std::vector<std::string> folders_, files_, keys_; // made or written, in order
    std::vector<OldValue> values_;
};

// Whether an install of the name (compared without regard to case) is kept.
bool isInstalled(const std::string &appName);
// Keeps the record, after the others.
void keepInstall(InstallRecord record);
// The nth install kept, in the order they were made; null past the last.
const InstallRecord *installAt(size_t n);
// Replays the install's record in reverse and forgets it: each value as it was, the keys it made
// deleted, the files it wrote removed (at the next restart for one in use), the folders it made
// when they are empty. True when something waits for the restart.
bool removeInstall(const std::string &appName);

} // namespace emu

#endif // EMU_INSTALL_LIFECYCLE_H
