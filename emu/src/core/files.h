// The device's file system, shared by the module loader (module.cpp) and the installer
// (install.cpp): the device's own files and folders in memory, and host folders mapped onto CE
// folders. Names are matched without regard to case, as the device's file system does.
#ifndef EMU_FILES_H
#define EMU_FILES_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace emu {

// A file larger than this is refused rather than read into memory (a module file, a cabinet, and
// everything one cabinet installs, together).
const size_t maxFileSize = 64u << 20;

// The bytes of the file at a CE path: the device's own files first, then the longest mapped
// folder holding the path. False when there is no such file.
bool readDeviceFile(const std::string &cePath, std::vector<uint8_t> *bytes);
// Puts a file of the device at a CE path, replacing one there; it takes precedence over a mapped
// folder.
void writeDeviceFile(const std::string &cePath, std::vector<uint8_t> bytes);
void makeDeviceFolder(const std::string &ceFolder);
// Takes a file of the device's own away (a mapped folder's file of the path shows again, as a file
// in ROM does when the one that shadowed it goes), and a folder made on the device, when nothing of
// the device's own is left in it.
void removeDeviceFile(const std::string &cePath);
void removeDeviceFolder(const std::string &ceFolder);

// ---- files in use ----
// A loaded module holds its file: until the last hold goes, the file can be neither replaced nor
// removed, and an installer puts what it would do aside for the next restart.
void holdDeviceFile(const std::string &cePath);
void releaseDeviceFile(const std::string &cePath);
bool deviceFileInUse(const std::string &cePath);
// Replaces the file with the bytes at the next restart, or removes it (null bytes); a later call for
// the same path takes the place of an earlier one.
void replaceDeviceFileAtRestart(const std::string &cePath, const std::vector<uint8_t> *bytes);
// The root, the shell's folders, folders made on the device or holding its files, mapped folders
// and the host folders below them.
bool deviceFolderExists(const std::string &ceFolder);

// The folder the CE string %CEn% stands for on the device; null for a number it does not know.
const char *shellFolder(int number);

// Reads a whole host file of at most maxFileSize bytes; false, with the reason, otherwise.
bool readHostFile(const std::string &path, std::vector<uint8_t> *bytes, std::string *why = nullptr);

} // namespace emu

#endif // EMU_FILES_H
