#include "fuzz/workdir.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "fuzz/command_check.h"

namespace halyx_fuzz {

namespace {

void removeScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(enterScratchDir(), ignored);
}

// Kept on the heap and never freed, so that it outlives the exit handler
// that removes the folder.
const std::string* makeScratchDir() {
    char pattern[] = "/tmp/halyx-fuzz-XXXXXX";
    require(::mkdtemp(pattern) != nullptr, "cannot make a scratch folder");
    require(::chdir(pattern) == 0, "cannot enter the scratch folder");
    ::mkdir("Acts", 0755);
    const std::string* path = new std::string(pattern);
    std::atexit(removeScratchDir);
    return path;
}

}  // namespace

const std::string& enterScratchDir() {
    static const std::string* path = makeScratchDir();
    return *path;
}

void writeFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    require(static_cast<bool>(out), "cannot write " + path);
}

}  // namespace halyx_fuzz
