#ifndef HALYX_MOTION_SKILLS_ACTIVITY_H
#define HALYX_MOTION_SKILLS_ACTIVITY_H

// The activity that holds the motion engine; a starter takes over only from
// ACT_NONE.
enum Action {
    ACT_NONE = 0,
    ACT_GETUP = 11,        // the get-up from lying on the back
    ACT_GETUP_FRONT = 12,  // the get-up from lying on the front
    ACT_GETUP_LEFT = 13,   // the get-up from lying on the left side
    ACT_GETUP_2 = 14,      // counts as getting up; nothing enters it
    ACT_GETUP_RIGHT = 15,  // the get-up from lying on the right side
    // From the front onto the back by the back's roll played backwards, after a front
    // get-up that did not stand: the back's roll then goes on the same way round.
    ACT_GETUP_ROLL_BACK = 16,
    ACT_GUARD = 29,
    ACT_WALK = 30,
    ACT_BALL = 31,  // playing the ball: approach and kick, or dribble
    ACT_HEAD_SCAN = 38
};

#endif
