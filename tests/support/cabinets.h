// Cabinets made in tests with Debian's gcab, as the device build makes them.
#ifndef KWENO_TESTS_CABINETS_H
#define KWENO_TESTS_CABINETS_H

#include <string>

#include <windows.h>

#include "cabinet.h"
#include "installation.h"

namespace cabinets {

typedef std::vector<uint8_t> Bytes;
typedef CabinetMembers Members;

// A cabinet of the members and, unless setupXml is null, _setup.xml, in a file of its own; returns
// its path, "" when gcab failed.
std::string make(const char *setupXml, const Members &members);

// The installation's cabinet, each file it installs holding the given bytes.
std::string of(const installation::Installation &installation, const Bytes &content);

// A value as the emulated device's registry holds it: a string as UTF-8, a dword in decimal;
// "<no key>" or "<no value>" when there is none.
std::string installedValue(HKEY root, const std::string &key, const std::string &name = "");

} // namespace cabinets

#endif // KWENO_TESTS_CABINETS_H
