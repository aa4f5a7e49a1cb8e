// Whole files as bytes.
#include "testfiles.h"

#include <cstdio>

namespace testfiles {

std::vector<uint8_t> read(const std::string &path)
{
    std::vector<uint8_t> bytes;
    FILE *f = fopen(path.c_str(), "rb");
    if (!f)
        return bytes;
    uint8_t buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + n);
    fclose(f);
    return bytes;
}

bool write(const std::string &path, const std::vector<uint8_t> &bytes)
{
    FILE *out = fopen(path.c_str(), "wb");
    if (!out)
        return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    return fclose(out) == 0 && ok;
}

} // namespace testfiles
