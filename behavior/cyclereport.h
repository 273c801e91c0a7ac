#ifndef HALYX_BEHAVIOR_CYCLEREPORT_H
#define HALYX_BEHAVIOR_CYCLEREPORT_H

#include <string>

// One cycle of the agent as a person follows it in the agent's --log file: the server's
// clock and play mode, where the camera and the ball stand on the field, the motion
// engine's activity, whether the robot is down and what the behaviour decided.
struct CycleReport {
    double time = 0;              // server time, seconds
    const char* playMode = "?";   // the server's name of the play mode
    bool located = false;         // the camera's pose has been fixed from landmarks
    double x = 0, y = 0;          // the camera on the field, metres
    double heading = 0;           // degrees
    bool ballSeen = false;        // the ball has been seen at least once
    double ballX = 0, ballY = 0;  // field metres
    const char* activity = "none";
    bool down = false;
    // "init", "beam", "getup", "guard", "scan", "stop" or "idle"
    const char* decision = "idle";
};

// The report as one line of key=value fields, without the line end, e.g.
// "t=1.24 pm=PlayOn x=-3.20 y=0.00 heading=12.5 ball=1.50,-2.00 act=guard down=0 do=guard";
// x, y and heading read "-" before the first fix, ball "-" before the first sighting.
std::string formatCycleReport(const CycleReport& report);

#endif
