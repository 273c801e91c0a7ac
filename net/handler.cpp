#include "net/handler.h"

namespace rcss {
namespace net {

Handler& Handler::instance() {
    static Handler handler;
    return handler;
}

}  // namespace net
}  // namespace rcss
