// Whole files, read and written in one piece, as bytes of any one-byte container (std::string,
// std::vector<uint8_t>, std::vector<char>).
#ifndef KWENO_TOOLKIT_WHOLEFILE_H
#define KWENO_TOOLKIT_WHOLEFILE_H

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// The file's bytes into *bytes; false when it cannot be opened or read to its end.
template <typename Bytes> bool readFile(const std::string &path, Bytes *bytes)
{
    FILE *f = std::fopen(path.c_str(), "rb");
    if (!f)
        return false;
    bytes->clear();
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        bytes->insert(bytes->end(), buffer, buffer + n);
    bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

// The file's bytes, or as wholeFile<std::string> its text; empty when it cannot be read.
template <typename Bytes = std::vector<uint8_t>> Bytes wholeFile(const std::string &path)
{
    Bytes bytes;
    return readFile(path, &bytes) ? bytes : Bytes();
}

// False when the file cannot be written whole.
template <typename Bytes> bool writeFile(const std::string &path, const Bytes &bytes)
{
    FILE *f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

#endif // KWENO_TOOLKIT_WHOLEFILE_H
