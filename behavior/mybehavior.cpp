#include "behavior/mybehavior.h"

#include <sstream>

MyBehavior::MyBehavior(int unum) : mUnum(unum), mStarted(false) {}

std::string MyBehavior::Think(const std::string& /*message*/) {
    if (mStarted) {
        return std::string();
    }
    mStarted = true;
    std::ostringstream init;
    init << "(init (unum " << mUnum << ")(teamname QEL))";
    return init.str();
}
