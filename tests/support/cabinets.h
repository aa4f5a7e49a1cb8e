// Cabinets made in tests with Debian's gcab, as the device build makes them, and the _setup.xml
// the device build writes.
#ifndef KWENO_TESTS_CABINETS_H
#define KWENO_TESTS_CABINETS_H

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace cabinets {

typedef std::vector<uint8_t> Bytes;
typedef std::vector<std::pair<std::string, Bytes>> Members;

// The day variant's _setup.xml as the device build writes it: kweno.dll from KWENO.001 and
// KWENO_Resources.dll from KWENO.002 into \Windows, and the class's four registry keys.
extern const char daySetup[];

// Writes the members and, unless setupXml is null, _setup.xml into a fresh folder and makes an
// MSZIP cabinet of them with `gcab -c -z`; returns the cabinet's path, "" when gcab failed.
std::string make(const char *setupXml, const Members &members);

} // namespace cabinets

#endif // KWENO_TESTS_CABINETS_H
