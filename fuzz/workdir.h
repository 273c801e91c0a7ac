#ifndef HALYX_FUZZ_WORKDIR_H
#define HALYX_FUZZ_WORKDIR_H

#include <string>

namespace halyx_fuzz {

// A fresh temporary folder, made the working directory of the fuzzer on the
// first call, so that the agent's file readers find only what the fuzzer
// writes there. Returns its path.
const std::string& enterScratchDir();

// Writes content to path (relative to the working directory), whole.
void writeFile(const std::string& path, const std::string& content);

}  // namespace halyx_fuzz

#endif
