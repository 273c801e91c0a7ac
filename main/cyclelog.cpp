#include "main/cyclelog.h"

#include <cerrno>
#include <cstring>

namespace {

const std::size_t kBufferBytes = 1 << 16;  // about 500 lines

}  // namespace

CycleLog::CycleLog(const std::string& path) : mFile(std::fopen(path.c_str(), "we")), mUnflushed(0) {
    if (mFile == nullptr) {
        throw CycleLogError("cannot open the log file " + path + ": " + std::strerror(errno));
    }
    std::setvbuf(mFile, nullptr, _IOFBF, kBufferBytes);
}

CycleLog::~CycleLog() {
    std::fclose(mFile);
}

void CycleLog::write(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), mFile);
    std::fputc('\n', mFile);
    if (++mUnflushed >= kLinesPerFlush) {
        std::fflush(mFile);
        mUnflushed = 0;
    }
}
