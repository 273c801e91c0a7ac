#ifndef SPARRING_FORMATION_H
#define SPARRING_FORMATION_H

#include <map>
#include <string>

namespace sparring {

// A team's formation spot for one uniform number, metres in the team's own frame.
struct Spot {
    double x = 0, y = 0;
};

// Reads the spots of a team's formation file ("unums", "homePosX" and "homePosY" lines,
// entry k made of the k-th number of each; "#" lines are comments) so the summary can
// hold every beam against the spot it should reach. An unreadable file gives no spots.
std::map<int, Spot> readFormationSpots(const std::string& path);

}  // namespace sparring

#endif
