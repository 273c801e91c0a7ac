#include "behavior/position.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "motion/actions.h"
#include "tests/support/agent_process.h"
#include "worldmodel/field.h"
#include "worldmodel/worldmodel.h"

using halyx_test::TempDir;

namespace {

struct Entry {
    int unum;
    float x;  // metres
    float y;  // metres
};

// A formation read from a real file, its trace kept apart from the test's output.
class FormationFile : public ::testing::Test {
protected:
    FormationFile() : position(Actions::getInstance()) {}

    void read(const std::string& content) {
        std::ifstream in(dir.write("formation.conf", content));
        trace.str("");
        position.setFormation(FORMATION_DEFAULT, in, trace);
    }

    std::vector<Entry> entries() const {
        std::vector<Entry> all;
        for (int k = 0; k < position.count(); ++k) {
            const Position::BeamInfo& info = position.entry(k);
            all.push_back({info.hasUnum ? info.unum : -1, info.homePos.x(), info.homePos.y()});
        }
        return all;
    }

    std::string beamFor(int unum) {
        WorldModel::getInstance()->setUnum(unum);
        return position.init();
    }

    TempDir dir;
    Position position;
    std::ostringstream trace;
};

std::string repeat(const std::string& word, int times) {
    std::string all;
    for (int i = 0; i < times; ++i) all += " " + word;
    return all;
}

}  // namespace

TEST_F(FormationFile, EntriesAreMadeFromTheColumnsOfTheLastLines) {
    struct Case {
        const char* what;
        std::string file;
        std::vector<Entry> expected;  // unum -1: the entry has no uniform number
    };
    const std::vector<Case> cases = {
        {"three columns",
         "unums 1 2 3\nhomePosX -5 -4 -3\nhomePosY 0 1 -1\n",
         {{1, -5, 0}, {2, -4, 1}, {3, -3, -1}}},
        {"comments and empty lines",
         "# x\n\n#unums 7 7 7 7\nunums 1 2\n\nhomePosX 1 2\n# end\n",
         {{1, 1, 0}, {2, 2, 0}}},
        {"second block overwrites the first, whatever its id",
         "id 0\nunums 1 2 3\nhomePosX 1 1 1\nid 1\nunums 4 5\nhomePosX 2 2\n",
         {{4, 2, 0}, {5, 2, 0}, {3, 1, 0}}},
        {"uniform numbers are truncated", "unums 3.9 -2.5\n", {{3, 0, 0}, {-2, 0, 0}}},
        {"a missing coordinate is 0",
         "unums 1 2 3\nhomePosX -1 -2 -3\nhomePosY 4\n",
         {{1, -1, 4}, {2, -2, 0}, {3, -3, 0}}},
        {"coordinates without a uniform number",
         "unums 1\nhomePosY 1 2\n",
         {{1, 0, 1}, {-1, 0, 2}}},
        {"a word ends the line", "unums 1 2x 3\n", {{1, 0, 0}, {2, 0, 0}}},
        {"a number too large for its field ends the line",
         "unums 1 1e20 2\nhomePosX 1e39\n",
         {{1, 0, 0}}},
        {"an unknown key stores nothing", "unumz 1 2 3\nhomePosX 1\n", {{-1, 1, 0}}},
        {"a matching id line counts its numbers",
         "id 0 0 0\nunums 6\n",
         {{6, 0, 0}, {-1, 0, 0}, {-1, 0, 0}}},
        {"a line over 999 characters ends the file",
         "unums 1 2\n#" + std::string(999, 'x') + "\nunums 5 6 7\n",
         {{1, 0, 0}, {2, 0, 0}}},
        {"a line of 999 characters is read",
         "#" + std::string(998, 'x') + "\nunums 5\n",
         {{5, 0, 0}}},
        {"an empty file", "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        read(c.file);
        const std::vector<Entry> got = entries();
        ASSERT_EQ(got.size(), c.expected.size());
        for (size_t k = 0; k < got.size(); ++k) {
            EXPECT_EQ(got[k].unum, c.expected[k].unum) << "entry " << k;
            EXPECT_FLOAT_EQ(got[k].x, c.expected[k].x) << "entry " << k;
            EXPECT_FLOAT_EQ(got[k].y, c.expected[k].y) << "entry " << k;
        }
    }
}

TEST_F(FormationFile, NumbersBeyondTwelveEntriesAreIgnored) {
    read("unums" + repeat("4", 11) + " 5 6 7\nhomePosX" + repeat("1", 12) + " 99 99\n");
    ASSERT_EQ(position.count(), 12);
    EXPECT_EQ(position.entry(11).unum, 5);
    EXPECT_EQ(beamFor(6), "");
    EXPECT_EQ(beamFor(5), "(beam 1 0 0)");
}

TEST_F(FormationFile, ReaderTracesEveryNumberWithTheSelectionFlag) {
    read("# team\nid 0\nunums 3 4\nhomePosX -5 -1.5\nhomePosY 2 0.25\nid 2 0\nunums 1e3\n");
    EXPECT_EQ(trace.str(),
              "0 0\n"
              "3 1\no3\n4 1\no4\n"
              "-5 1\nAS\n-1.5 1\nAS\n"
              "2 1\n0.25 1\n"
              "2 1\n"
              "1000 0\no1000\n");
}

TEST_F(FormationFile, BeamGoesToTheFirstEntryOfTheAgentsNumber) {
    read("unums 2 3 3\nhomePosX -4 -5 1\nhomePosY 1.5 2 1\n");
    EXPECT_EQ(beamFor(3), "(beam -5 2 0)");
    EXPECT_EQ(beamFor(2), "(beam -4 1.5 0)");
    WorldModel::getInstance()->setUnum(3);
    const salt::Vector3f home = position.getHomePos();
    EXPECT_FLOAT_EQ(home.x(), -5);
    EXPECT_FLOAT_EQ(home.y(), 2);
    EXPECT_FLOAT_EQ(home.z(), 0);
    EXPECT_EQ(position.position(), "");
}

TEST_F(FormationFile, WithoutAnEntryThereIsNoBeamAndHomeIsTheOrigin) {
    // The second and third entries have coordinates but no uniform number:
    // they place nobody, not even a player numbered 0.
    read("unums 2\nhomePosX -4 -3 -2\n");
    for (int unum : {0, 1, 3}) {
        EXPECT_EQ(beamFor(unum), "") << unum;
        const salt::Vector3f home = position.getHomePos();
        EXPECT_EQ(home.x(), 0);
        EXPECT_EQ(home.y(), 0);
        EXPECT_EQ(home.z(), 0);
    }
}

// The team folder's formations, read by the agent's reader from the files that ship:
// every number of the field's team once, the goalkeeper just in front of its goal
// between the posts, everyone else inside the field in the own half, clear of the
// centre circle and of each other.
TEST(TeamFormations, EachFieldsFormationPlacesItsTeamSoundly) {
    struct Case {
        const char* file;
        const FieldGeometry& field;
        int players;
        double centreRadius;  // metres
    };
    const Case cases[] = {{"formation.conf", designField(), 9, 1.0},
                          {"formation-30x20.conf", leagueField(), 11, 2.0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        testing::internal::CaptureStdout();  // the reader's trace
        Position position(Actions::getInstance(),
                          std::string(HALYX_SOURCE_DIR) + "/team/" + c.file);
        testing::internal::GetCapturedStdout();
        ASSERT_TRUE(position.fileFound());
        ASSERT_EQ(position.count(), c.players);
        const double goalLine = -c.field.length / 2;
        for (int k = 0; k < c.players; ++k) {
            const Position::BeamInfo& e = position.entry(k);
            SCOPED_TRACE(e.unum);
            EXPECT_EQ(e.unum, k + 1);
            const double x = e.homePos.x(), y = e.homePos.y();
            EXPECT_GT(x, goalLine);
            EXPECT_LT(std::fabs(y), c.field.width / 2);
            if (e.unum == 1) {
                EXPECT_LT(x, goalLine + 1.0);
                EXPECT_LT(std::fabs(y), c.field.goalWidth / 2);
                continue;
            }
            EXPECT_LT(x, 0.0);
            EXPECT_GT(std::hypot(x, y), c.centreRadius + 0.5);
            for (int j = 0; j < k; ++j) {
                const salt::Vector3f other = position.entry(j).homePos;
                EXPECT_GE(std::hypot(x - other.x(), y - other.y()), 1.0) << position.entry(j).unum;
            }
        }
    }
}
