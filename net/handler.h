#ifndef HALYX_NET_HANDLER_H
#define HALYX_NET_HANDLER_H

namespace rcss {
namespace net {

// Process-wide marker that the socket layer is in use. Every address record and
// every socket keeps a reference to it; it does no work of its own.
class Handler {
public:
    static Handler& instance();

    bool isValid() const { return mValid; }

private:
    Handler() : mValid(true) {}
    Handler(const Handler&) = delete;
    Handler& operator=(const Handler&) = delete;

    bool mValid;
};

}  // namespace net
}  // namespace rcss

#endif
