// Cabinets made in tests as the device build makes them.
#include "cabinets.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>

namespace cabinets {

std::string make(const char *setupXml, const Members &members)
{
    static int made = 0;
    std::string cabinet =
        ::testing::TempDir() + "kweno_cab_" + std::to_string(getpid()) + "_" + std::to_string(++made) + ".cab";
    Members all = members;
    if (setupXml)
        all.emplace_back("_setup.xml", Bytes(setupXml, setupXml + strlen(setupXml)));
    return packCabinet(GCAB_PROGRAM, cabinet, all) ? cabinet : "";
}

std::string of(const installation::Installation &installation, const Bytes &content)
{
    Members members;
    for (const installation::File &file : installation.files)
        members.emplace_back(file.member, content);
    return make(installation::provisioningDocument(installation).c_str(), members);
}

} // namespace cabinets
