// Cabinets made in tests with Debian's gcab, as the device build makes them.
#ifndef KWENO_TESTS_CABINETS_H
#define KWENO_TESTS_CABINETS_H

#include <string>

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

} // namespace cabinets

#endif // KWENO_TESTS_CABINETS_H
