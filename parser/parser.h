#ifndef HALYX_PARSER_PARSER_H
#define HALYX_PARSER_PARSER_H

#include <boost/scoped_ptr.hpp>
#include <string>

#include "math/vector.h"
#include "parser/baseparser.h"
#include "parser/predicate.h"
#include "worldmodel/senses.h"
#include "worldmodel/worldmodel.h"

// Turns one server message into world-model updates: the text becomes predicates,
// each perceptor is recognised by its name and its values are copied into the
// world model, stamped with the server time of the message. Missing values skip
// only their own effect. Numbers that are not finite ("nan", "inf") count as
// missing, so that one bad reading cannot spread into positions computed later.
class Parser {
public:
    // Writes into the process-wide world model.
    Parser();
    // Writes into the given store (which must outlive the parser).
    explicit Parser(WorldModel& worldModel);

    void doParse(const std::string& message);

    void parseTime(const oxygen::Predicate& predicate);
    void parseGameState(const oxygen::Predicate& predicate);
    void parseGYR(const oxygen::Predicate& predicate);
    void parseACC(const oxygen::Predicate& predicate);
    void parseFRP(const oxygen::Predicate& predicate);
    void parseTCH(const oxygen::Predicate& predicate);
    void parseHingeJointInfo(const oxygen::Predicate& predicate);
    void parseObjectVision(const oxygen::Predicate& predicate);
    void parseHearInfo(const oxygen::Predicate& predicate);
    // One player of a vision message; it is at the player's "P".
    void parsePlayerInfo(const oxygen::Predicate& predicate, oxygen::Predicate::Iterator it);

    void flagVisionEvent(const std::string& suffix, const VisionSense& sense);
    void goalVisionEvent(const std::string& suffix, const VisionSense& sense);
    void ballVisionEvent(const VisionSense& sense);
    void GYREvent(const salt::Vector3f& rates);
    void FRPEvent(const std::string& name, const FootRes& footRes);
    void TCHEvent(const std::string& name, int value);
    void playerVisionEvent(int number, const std::string& team, const VisionSense& sense);

private:
    void dispatch(const oxygen::Predicate& predicate);
    void visionObject(const oxygen::Predicate& predicate, oxygen::Predicate::Iterator object);

    WorldModel& mWorldModel;
    boost::scoped_ptr<oxygen::BaseParser> mSexpParser;
};

#endif
