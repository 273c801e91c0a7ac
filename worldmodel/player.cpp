#include "worldmodel/player.h"

namespace {
// Slot of a tracked part, or -1 for a part that a player record does not keep.
int slotOf(BodyID part) {
    switch (part) {
        case HEAD:
            return 0;
        case RLOWERARM:
            return 1;
        case LLOWERARM:
            return 2;
        case RFOOT:
            return 3;
        case LFOOT:
            return 4;
        default:
            return -1;
    }
}
}  // namespace

Player::Player() : mTimeSeen(0.0), mTimePrevSeen(0.0), mID(0), mTeammate(false) {}

bool Player::setID(int id) {
    mID = id;
    return true;
}

bool Player::setType(bool teammate) {
    mTeammate = teammate;
    return true;
}

bool Player::setTimeSeen(double t) {
    mTimePrevSeen = mTimeSeen;
    mTimeSeen = t;
    return true;
}

void Player::setFrom(salt::Vector3f* slots, BodyID part, const salt::Vector3f& v) {
    const int first = slotOf(part);
    if (first < 0) return;
    for (int i = first; i < kTrackedParts; ++i) slots[i] = v;
}

salt::Vector3f Player::getFrom(const salt::Vector3f* slots, BodyID part) {
    const int slot = slotOf(part);
    return slot < 0 ? salt::Vector3f() : slots[slot];
}

salt::Vector3f Player::mean(const salt::Vector3f* slots) {
    salt::Vector3f sum(0, 0, 0);
    for (int i = 0; i < kTrackedParts; ++i) sum += slots[i];
    return sum / 5.0f;
}

bool Player::setRelPos(BodyID part, const salt::Vector3f& v) {
    setFrom(mRelPos, part, v);
    return true;
}

bool Player::setPos(BodyID part, const salt::Vector3f& v) {
    setFrom(mPos, part, v);
    return true;
}

bool Player::setVel(BodyID part, const salt::Vector3f& v) {
    setFrom(mVel, part, v);
    return true;
}

salt::Vector3f Player::getRelPos(BodyID part) const {
    return getFrom(mRelPos, part);
}
salt::Vector3f Player::getPos(BodyID part) const {
    return getFrom(mPos, part);
}
salt::Vector3f Player::getVel(BodyID part) const {
    return getFrom(mVel, part);
}
salt::Vector3f Player::getCOMPos() const {
    return mean(mPos);
}
salt::Vector3f Player::getCOMVel() const {
    return mean(mVel);
}
