#include "net/exception.h"

#include <netdb.h>

#include <cstring>

namespace rcss {
namespace net {

const char* NetError::what() const noexcept {
    return std::strerror(mErr);
}

const char* HostNotFound::what() const noexcept {
    return hstrerror(err());
}

}  // namespace net
}  // namespace rcss
