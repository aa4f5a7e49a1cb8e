// A bounds-checked look at a PE file's headers and resource directory, without loading it.
#ifndef KWENO_SKIN_PE_H
#define KWENO_SKIN_PE_H

#include <cstdint>
#include <string>
#include <vector>

namespace skin {

struct PeResource {
    uint32_t type; // numeric type (2 = RT_BITMAP); named types are skipped
    uint32_t id;
    uint32_t size;
    uint64_t offset; // of its data in the file
    bool complete;   // its data lies wholly within the file
};

struct PeInfo {
    bool isPe = false;
    std::string problem; // why it is no PE, or why its resource directory cannot be read
    uint64_t fileSize = 0;
    uint64_t neededSize = 0; // where the last section's raw data ends
    std::vector<PeResource> resources;
    bool truncated() const { return neededSize > fileSize; }
    const PeResource *find(uint32_t type, uint32_t id) const;
    bool hasId(uint32_t id) const;
};

// Never reads outside the bytes, whatever they hold.
PeInfo inspectPe(const std::vector<uint8_t> &bytes);

} // namespace skin

#endif // KWENO_SKIN_PE_H
