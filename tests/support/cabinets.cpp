// Cabinets made in tests as the device build makes them.
#include "cabinets.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>

#include "text.h"

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

std::string installedValue(HKEY root, const std::string &key, const std::string &name)
{
    std::u16string wideKey = utf16FromUtf8(key), wideName = utf16FromUtf8(name);
    HKEY k = nullptr;
    if (RegOpenKeyExW(root, (const WCHAR *)wideKey.c_str(), 0, 0, &k) != ERROR_SUCCESS)
        return "<no key>";
    char16_t data[256] = {};
    DWORD type = 0, size = sizeof data - sizeof data[0];
    LONG status = RegQueryValueExW(k, (const WCHAR *)wideName.c_str(), nullptr, &type, (BYTE *)data, &size);
    RegCloseKey(k);
    if (status != ERROR_SUCCESS)
        return "<no value>";
    return type == REG_DWORD ? std::to_string(*(int32_t *)data) : utf8FromUtf16(data);
}

} // namespace cabinets
