#!/usr/bin/env python3
"""Writes session.msgs: the scripted server messages of the golden replay test, one
message per line. A robot standing at (-4, 0.5) facing the opponents' goal, through a
game: BeforeKickOff (1.2 s), PlayOn, a fall on its back, Goal_Left, PlayOn again.
Vision every cycle from 0.5 s on (none before, so a field player starts its head scan)."""
import math
import os

JOINTS = ["hj1", "hj2", "raj1", "raj2", "raj3", "raj4", "laj1", "laj2", "laj3", "laj4",
          "rlj1", "rlj2", "rlj3", "rlj4", "rlj5", "rlj6", "llj1", "llj2", "llj3", "llj4",
          "llj5", "llj6"]
FLAGS = {"F1L": (-6, 4, 0), "F2L": (-6, -4, 0), "F1R": (6, 4, 0), "F2R": (6, -4, 0),
         "G1L": (-6, 0.7, 0.8), "G2L": (-6, -0.7, 0.8), "G1R": (6, 0.7, 0.8),
         "G2R": (6, -0.7, 0.8)}
BALL = (-2.0, 1.0, 0.04)
STANDING = ((-4.0, 0.5, 0.5), (1, 0, 0), (0, 1, 0), (0, 0, 1))
ON_BACK = ((-4.0, 0.5, 0.1), (0, 0, 1), (0, 1, 0), (-1, 0, 0))


def pol(camera, point):
    pos, ax, ay, az = camera
    d = [p - c for p, c in zip(point, pos)]
    x, y, z = (sum(a * b for a, b in zip(d, axis)) for axis in (ax, ay, az))
    dist = math.sqrt(x * x + y * y + z * z)
    return "(pol %.2f %.2f %.2f)" % (dist, math.degrees(math.atan2(y, x)),
                                     math.degrees(math.asin(z / dist)))


def message(k):
    t = 0.02 * k
    if k < 60:
        pm = "BeforeKickOff"
    elif k < 160:
        pm = "PlayOn"
    elif k < 220:
        pm = "Goal_Left"
    else:
        pm = "PlayOn"
    lying = 150 <= k < 170
    camera = ON_BACK if lying else STANDING
    force = 0 if lying else 22.5
    text = "(time (now %.2f))(GS (unum 0) (team left) (t %.2f) (pm %s))" % (t, t, pm)
    text += "(GYR (n torso) (rt 0.00 0.00 0.00))"
    for joint in JOINTS:
        # A slow, deterministic drift so that playback sees changing angles.
        text += "(HJ (n %s) (ax %.2f))" % (joint, 5 * math.sin(0.05 * k + len(joint)))
    text += "(FRP (n lf) (c 0.00 0.00 0.00) (f 0.00 0.00 %.2f))" % force
    text += "(FRP (n rf) (c 0.00 0.00 0.00) (f 0.00 0.00 %.2f))" % force
    if k >= 25:
        seen = "".join("(%s %s)" % (name, pol(camera, FLAGS[name])) for name in sorted(FLAGS))
        text += "(See %s(B %s))" % (seen, pol(camera, BALL))
    return text


if __name__ == "__main__":
    here = os.path.dirname(os.path.abspath(__file__))
    with open(os.path.join(here, "session.msgs"), "w") as out:
        out.write("(time (now 0.00))\n")  # the first message, answered with init
        for k in range(1, 240):
            out.write(message(k) + "\n")
