// Cabinets made in tests with Debian's gcab.
#include "cabinets.h"
#include "wholefile.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace cabinets {

std::string make(const char *setupXml, const Members &members)
{
    static int made = 0;
    std::string folder = ::testing::TempDir() + "kweno_cab_" + std::to_string(getpid()) + "_" + std::to_string(++made);
    if (mkdir(folder.c_str(), 0700) != 0)
        return "";
    Members all = members;
    if (setupXml)
        all.emplace_back("_setup.xml", Bytes(setupXml, setupXml + strlen(setupXml)));
    // -n: members are named without the folder, as the device build names them.
    std::string command = GCAB_PROGRAM " -c -z -n '" + folder + ".cab'";
    for (const auto &m : all) {
        EXPECT_TRUE(writeFile(folder + "/" + m.first, m.second)) << folder << "/" << m.first;
        command += " '" + folder + "/" + m.first + "'";
    }
    int status = std::system((command + "; status=$?; rm -r '" + folder + "'; exit $status").c_str());
    return status == 0 ? folder + ".cab" : "";
}

std::string of(const installation::Installation &installation, const Bytes &content)
{
    Members members;
    for (const installation::File &file : installation.files)
        members.emplace_back(file.member, content);
    return make(installation::provisioningDocument(installation).c_str(), members);
}

} // namespace cabinets
