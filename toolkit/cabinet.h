// Microsoft cabinets (MSZIP) packed by Debian's gcab, as a device's installer reads them.
#ifndef KWENO_TOOLKIT_CABINET_H
#define KWENO_TOOLKIT_CABINET_H

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// Each member's name in the cabinet and its bytes.
typedef std::vector<std::pair<std::string, std::vector<uint8_t>>> CabinetMembers;

// Packs the members in their order into the cabinet with the gcab program, each dated 2000-01-01 so
// that the same members give the same cabinet; false if it could not be made.
bool packCabinet(const std::string &gcab, const std::string &cabinet, const CabinetMembers &members);

#endif // KWENO_TOOLKIT_CABINET_H
