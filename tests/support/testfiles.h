// Whole files as bytes, for the tests that read what a build made or write what they hand over.
#ifndef KWENO_TESTS_TESTFILES_H
#define KWENO_TESTS_TESTFILES_H

#include <cstdint>
#include <string>
#include <vector>

namespace testfiles {

// The file's bytes; empty when it cannot be read.
std::vector<uint8_t> read(const std::string &path);
// False when the file cannot be written whole.
bool write(const std::string &path, const std::vector<uint8_t> &bytes);

} // namespace testfiles

#endif // KWENO_TESTS_TESTFILES_H
