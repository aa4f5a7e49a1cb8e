// Cabinets through the gcab program, from members staged in a folder beside the cabinet.
#include "cabinet.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

#include "wholefile.h"

bool packCabinet(const std::string &gcab, const std::string &cabinet, const CabinetMembers &members)
{
    namespace fs = std::filesystem;
    const fs::path stage = cabinet + ".members";
    std::error_code error;
    fs::remove_all(stage, error);
    bool ok = fs::create_directories(stage, error);
    const struct timespec date[2] = {{946684800, 0}, {946684800, 0}};
    // --nopath: each member is named without the folder it is packed from.
    std::string command = "'" + gcab + "' --create --zip --nopath '" + cabinet + "'";
    for (const auto &member : members) {
        std::string path = (stage / member.first).string();
        ok = ok && writeFile(path, member.second) && utimensat(AT_FDCWD, path.c_str(), date, 0) == 0;
        command += " '" + path + "'";
    }
    fs::remove(cabinet, error);
    ok = ok && std::system(command.c_str()) == 0;
    fs::remove_all(stage, error);
    return ok;
}
