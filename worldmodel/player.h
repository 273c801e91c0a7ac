#ifndef HALYX_WORLDMODEL_PLAYER_H
#define HALYX_WORLDMODEL_PLAYER_H

#include "math/vector.h"
#include "worldmodel/ids.h"

// What the agent knows of one other robot: when it was seen, its uniform number,
// and five tracked parts (HEAD, RLOWERARM, LLOWERARM, RFOOT, LFOOT) relative to
// the camera, on the field and moving. Setting a part also writes every later
// part of that order, so a record updated through HEAD holds the head in all five.
class Player {
public:
    Player();

    bool setID(int id);
    int getID() const { return mID; }
    bool setType(bool teammate);
    bool isTeammate() const { return mTeammate; }

    // The previous time seen becomes the time previously seen.
    bool setTimeSeen(double t);
    double getTimeSeen() const { return mTimeSeen; }
    double getTimePrevSeen() const { return mTimePrevSeen; }
    double getTimeDiff() const { return mTimeSeen - mTimePrevSeen; }

    bool setRelPos(BodyID part, const salt::Vector3f& v);
    bool setPos(BodyID part, const salt::Vector3f& v);
    bool setVel(BodyID part, const salt::Vector3f& v);
    bool setPos(const salt::Vector3f& v) { return setPos(HEAD, v); }
    bool setVel(const salt::Vector3f& v) { return setVel(HEAD, v); }
    // A part outside the five tracked ones gives the zero vector.
    salt::Vector3f getRelPos(BodyID part) const;
    salt::Vector3f getPos(BodyID part) const;
    salt::Vector3f getVel(BodyID part) const;

    // Means of the five tracked global positions / velocities.
    salt::Vector3f getCOMPos() const;
    salt::Vector3f getCOMVel() const;

    static const int kTrackedParts = 5;

private:
    static void setFrom(salt::Vector3f* slots, BodyID part, const salt::Vector3f& v);
    static salt::Vector3f getFrom(const salt::Vector3f* slots, BodyID part);
    static salt::Vector3f mean(const salt::Vector3f* slots);

    double mTimeSeen;      // server seconds of the latest sighting
    double mTimePrevSeen;  // server seconds of the sighting before it
    int mID;               // uniform number as the server reported it
    bool mTeammate;
    salt::Vector3f mRelPos[kTrackedParts];  // metres, camera frame
    salt::Vector3f mPos[kTrackedParts];     // metres, field frame
    salt::Vector3f mVel[kTrackedParts];     // m/s, field frame
};

#endif
