#ifndef HALYX_BEHAVIOR_POSITION_H
#define HALYX_BEHAVIOR_POSITION_H

#include <iosfwd>
#include <string>

#include "math/vector.h"

class Actions;
class WorldModel;

// Formation numbers the formation file can select with its "id" lines; the
// agent plays formation 0 only.
enum Formation { FORMATION_DEFAULT = 0 };

// The team's formation: where each uniform number stands before kick-off and
// after a goal. Read once at start-up from the formation file ("formation.conf"
// in the working directory unless another is named), and turned into the beam
// command for the agent's own number.
class Position {
public:
    // One formation entry.
    struct BeamInfo {
        BeamInfo() : unum(0), hasUnum(false) {}

        int unum;
        // False while no "unums" value reached this entry: such an entry
        // places nobody, whatever uniform number the agent plays with.
        bool hasUnum;
        salt::Vector3f homePos;  // metres, field frame; z is 0 when used
    };

    static const int kMaxEntries = 12;

    // Reads formation 0 from the formation file at path, writing the trace on
    // standard output. actions builds the beam text; it is not owned.
    explicit Position(Actions* actions, std::string path = kDefaultFile);

    static const char kDefaultFile[];  // "formation.conf"

    // Reads the formation file; a missing file gives no entries and no trace.
    void setFormation(Formation formation);
    // The same from any stream, tracing to trace; the file reader uses it.
    void setFormation(Formation formation, std::istream& in, std::ostream& trace);

    // The beam command to the agent's home position; empty when the formation
    // has no entry for its uniform number.
    std::string init();
    // The agent's home position (z 0); the zero vector without an entry.
    salt::Vector3f getHomePos();
    // Kept for the decision object's interface; always empty.
    std::string position();

    int count() const { return mCount; }
    // Whether the formation file could be opened when it was last read.
    bool fileFound() const { return mFileFound; }
    const std::string& path() const { return mPath; }
    const BeamInfo& entry(int k) const { return mBeamInfo[k]; }

private:
    // The first entry for the agent's uniform number, null if there is none.
    BeamInfo* ownEntry();
    // Applies the numbers of one line; returns how many it stored or matched.
    int readLine(const std::string& key, std::istream& numbers, Formation formation, bool& selected,
                 std::ostream& trace);

    WorldModel* mWM;
    Actions* mActions;
    std::string mPath;  // the formation file, relative to the working directory or absolute
    BeamInfo mBeamInfo[kMaxEntries];
    int mCount;
    bool mFileFound;
};

#endif
