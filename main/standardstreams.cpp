#include "main/standardstreams.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

namespace {

bool isClosed(int fd) {
    return ::fcntl(fd, F_GETFD) == -1 && errno == EBADF;
}

// Opens fd, the lowest closed descriptor, onto /dev/null: the lowest free
// number is the one a new descriptor gets.
bool openNull(int fd) {
    const int null = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    if (null < 0) return false;
    if (null != fd) {
        ::dup2(null, fd);
        ::close(null);
    }
    return true;
}

// Without /dev/null: a pipe end on fd, the read end for standard input (which
// then reads end of file), the write end for the others (whose writes then fail
// with EPIPE), the other end closed.
void openDeadPipe(int fd) {
    int ends[2];
    if (::pipe(ends) != 0) return;
    const int wanted = fd == 0 ? ends[0] : ends[1];
    if (wanted != fd) ::dup2(wanted, fd);
    for (int end : ends) {
        if (end != fd) ::close(end);
    }
}

}  // namespace

void guardStandardStreams() {
    // In ascending order, so that each descriptor is the lowest closed one when
    // it is opened.
    for (int fd = 0; fd <= 2; ++fd) {
        if (isClosed(fd) && !openNull(fd)) openDeadPipe(fd);
    }
    ::signal(SIGPIPE, SIG_IGN);
}
