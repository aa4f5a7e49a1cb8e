// Cabinets made in tests with Debian's gcab, as the device build makes them.
#ifndef KWENO_TESTS_CABINETS_H
#define KWENO_TESTS_CABINETS_H

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "installation.h"

namespace cabinets {

typedef std::vector<uint8_t> Bytes;
typedef std::vector<std::pair<std::string, Bytes>> Members;

// Writes the members and, unless setupXml is null, _setup.xml into a fresh folder and makes an
// MSZIP cabinet of them with `gcab -c -z`; returns the cabinet's path, "" when gcab failed.
std::string make(const char *setupXml, const Members &members);

// The installation's cabinet, each file it installs holding the given bytes.
std::string of(const installation::Installation &installation, const Bytes &content);

} // namespace cabinets

#endif // KWENO_TESTS_CABINETS_H
