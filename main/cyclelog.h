#ifndef HALYX_MAIN_CYCLELOG_H
#define HALYX_MAIN_CYCLELOG_H

#include <cstdio>
#include <stdexcept>
#include <string>

// The log file cannot be opened; the message names it and the reason.
class CycleLogError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The agent's --log file: one line per cycle for a person to read. Lines go through a
// large buffer, flushed once a second of play (50 lines) and at the end, so that a cycle
// costs a copy of its line and an agent that is killed loses at most its last second.
// Write errors are ignored: the log never disturbs the match.
class CycleLog {
public:
    static const int kLinesPerFlush = 50;

    // Creates or empties the file; throws CycleLogError when it cannot be opened.
    explicit CycleLog(const std::string& path);
    ~CycleLog();
    CycleLog(const CycleLog&) = delete;
    CycleLog& operator=(const CycleLog&) = delete;

    // Appends the line and a line end.
    void write(const std::string& line);

private:
    std::FILE* mFile;
    int mUnflushed;
};

#endif
