#include "parser/parser.h"

#include <cmath>
#include <cstdlib>
#include <iostream>

#include "math/geometry.h"
#include "parser/heldvalue.h"
#include "parser/sametext.h"
#include "parser/sexpparser.h"
#include "worldmodel/types.h"

using oxygen::Predicate;

namespace {

bool isFinite(float f) {
    return std::isfinite(f);
}
bool isFinite(double d) {
    return std::isfinite(d);
}
bool isFinite(const salt::Vector3f& v) {
    return isFinite(v.x()) && isFinite(v.y()) && isFinite(v.z());
}
bool isFinite(const VisionSense& s) {
    return isFinite(s.distance) && isFinite(s.theta) && isFinite(s.phi);
}

// Keys searched in every vision message, made once rather than for every object.
const std::string kPol = "pol";
const std::string kTeam = "team";
const std::string kId = "id";
const std::string kName = "n";
const std::string kAngle = "ax";
const std::string kHead = "head";

bool isLandmarkOrBall(char letter) {
    return letter == 'F' || letter == 'B' || letter == 'G';
}

// Whether anything reads an object's name once its id is appended: a landmark's suffix,
// "mypos", an unnamed object, or the kinds table. Most objects are players, whose
// reading only the kinds table could take; while that table is empty neither their id
// nor their polar numbers need be read again here.
bool usesExtendedName(const std::string& name) {
    static const std::string kMyPos = "mypos";
    return name.empty() || isLandmarkOrBall(name[0]) || !Types::mVisionObjectMap.empty() ||
           kMyPos.compare(0, name.size(), name) == 0;
}

// The value at it read as a string, as GetValue reads one: a string value is handed
// out where it is stored (valid while the predicate is), any other is converted into
// scratch. Null when GetValue fails. Names and teams are read for every object of
// every message, so they are not copied.
const std::string* textAt(const Predicate& predicate, const Predicate::Iterator& it,
                          std::string& scratch) {
    const Predicate::Iterator::Position& position = it.GetIterator();
    if (position != it.GetList()->end()) {
        if (const std::string* text = zeitgeist::heldValue<std::string>(*position)) return text;
    }
    return predicate.GetValue(it, scratch) ? &scratch : nullptr;
}

// The value after key read as a string (GetValue with a key), as textAt hands it out.
const std::string* textAfter(const Predicate& predicate, const Predicate::Iterator& it,
                             const std::string& key, std::string& scratch) {
    Predicate::Iterator found = it;
    if (!predicate.FindParameter(found, key)) return nullptr;
    return textAt(predicate, found, scratch);
}

// Whether the value at it reads as the text key, moving it past the value.
bool advanceKey(const Predicate& predicate, Predicate::Iterator& it, const std::string& key) {
    std::string scratch;
    const std::string* text = textAt(predicate, it, scratch);
    if (text == nullptr) return false;
    ++it;
    return zeitgeist::sameText(*text, key);
}

// Distance, horizontal and vertical angle from three successive numbers.
bool readPolar(const Predicate& predicate, Predicate::Iterator& it, VisionSense& sense) {
    VisionSense s;
    if (!predicate.AdvanceValue(it, s.distance) || !predicate.AdvanceValue(it, s.theta) ||
        !predicate.AdvanceValue(it, s.phi) || !isFinite(s)) {
        return false;
    }
    sense = s;
    return true;
}

// The reading of a player seen by body parts, "(P (team T) (id N) (head (pol ...))
// (rlowerarm (pol ...)) ...)", any subset of the parts in any order: the head's, which
// the older form reports alone as "pol". The arms and feet are not read: the world
// model places a player by its head, and the slot rule fills the other four slots from
// it, so a player's record (and every query over it) is the same in both forms. A
// player whose head is not seen is not recorded. it is anywhere in the player's list.
bool headReading(const Predicate& predicate, Predicate::Iterator it, VisionSense& sense) {
    return predicate.FindParameter(it, kHead) && predicate.FindParameter(it, kPol) &&
           readPolar(predicate, it, sense);
}

// Whether the whole text reads as one number, as the server writes its numbers.
bool isNumberText(const std::string& text) {
    char* end = nullptr;
    std::strtod(text.c_str(), &end);
    return !text.empty() && end == text.c_str() + text.size();
}

// The landmark of a kind letter and the two characters after it ("1L" ...).
bool landmarkOf(char kind, const std::string& suffix, FlagsID& id) {
    static const char* const kSuffixes[] = {"1L", "1R", "2L", "2R"};
    for (int i = 0; i < 4; ++i) {
        if (suffix != kSuffixes[i]) continue;
        id = static_cast<FlagsID>((kind == 'G' ? G1L : F1L) + i);
        return true;
    }
    return false;
}

}  // namespace

Parser::Parser() : Parser(*WorldModel::getInstance()) {}

Parser::Parser(WorldModel& worldModel) : mWorldModel(worldModel), mSexpParser(new SexpParser()) {}

void Parser::doParse(const std::string& message) {
    boost::shared_ptr<oxygen::PredicateList> predicates = mSexpParser->Parse(message);
    mWorldModel.clearHeard();
    if (!predicates) return;
    for (const Predicate& predicate : *predicates) dispatch(predicate);
}

void Parser::dispatch(const Predicate& predicate) {
    const std::string& name = predicate.name;
    if (name.empty()) return;
    switch (name[0]) {
        case 'A':
            if (name == "ACC") parseACC(predicate);
            break;
        case 'F':
            parseFRP(predicate);
            break;
        case 'G':
            if (name.size() < 2) break;
            if (name[1] == 'Y') parseGYR(predicate);
            if (name[1] == 'S') parseGameState(predicate);
            break;
        case 'H':
            parseHingeJointInfo(predicate);
            break;
        case 'S':
            parseObjectVision(predicate);
            break;
        case 'T':
            parseTCH(predicate);
            break;
        case 'h':
            parseHearInfo(predicate);
            break;
        case 't':
            parseTime(predicate);
            break;
        default:
            break;
    }
}

void Parser::parseTime(const Predicate& predicate) {
    // The server time carries single-precision rounding, as every stamp taken from it.
    float now = 0.0f;
    if (predicate.GetValue(Predicate::Iterator(predicate), "now", now) && isFinite(now)) {
        mWorldModel.setServerTime(static_cast<double>(now));
    }
}

void Parser::parseGameState(const Predicate& predicate) {
    Predicate::Iterator it(predicate);
    int unum = 0;
    predicate.GetValue(it, "unum", unum);  // read and not used
    std::string team;
    if (predicate.GetValue(it, kTeam, team)) {
        if (team == "left") mWorldModel.setTeamSide(SIDE_LEFT);
        if (team == "right") mWorldModel.setTeamSide(SIDE_RIGHT);
    }
    double gameTime = 0.0;
    if (predicate.GetValue(it, "t", gameTime) && isFinite(gameTime)) {
        mWorldModel.setGameTime(gameTime);
    }
    std::string playMode;
    if (predicate.GetValue(it, "pm", playMode)) {
        // Indexing enters an unknown name as PM_BeforeKickOff.
        mWorldModel.setGameState(Types::mPlayModeMap[playMode]);
        mWorldModel.setPlayModeName(playMode);
    }
}

void Parser::parseGYR(const Predicate& predicate) {
    Predicate::Iterator it(predicate);
    std::string name;
    salt::Vector3f rates;
    if (!predicate.GetValue(it, "n", name)) return;
    if (predicate.GetValue(it, "rt", rates) && isFinite(rates)) GYREvent(rates);
}

// "(ACC (n torso) (a X Y Z))": the torso's accelerometer, m/s^2.
void Parser::parseACC(const Predicate& predicate) {
    Predicate::Iterator it(predicate);
    std::string name;
    salt::Vector3f acceleration;
    if (!predicate.GetValue(it, "n", name)) return;
    if (predicate.GetValue(it, "a", acceleration) && isFinite(acceleration)) {
        mWorldModel.setAcc(acceleration);
    }
}

void Parser::parseFRP(const Predicate& predicate) {
    Predicate::Iterator it(predicate);
    std::string name;
    FootRes footRes;
    if (!predicate.GetValue(it, "n", name)) return;
    if (!predicate.GetValue(it, "c", footRes.contact) || !isFinite(footRes.contact)) return;
    if (!predicate.GetValue(it, "f", footRes.force) || !isFinite(footRes.force)) return;
    FRPEvent(name, footRes);
}

void Parser::parseTCH(const Predicate& predicate) {
    Predicate::Iterator it(predicate);
    std::string name;
    int value = 0;
    if (!predicate.GetValue(it, "name", name)) return;
    if (predicate.GetValue(it, "val", value)) TCHEvent(name, value);
}

void Parser::parseHingeJointInfo(const Predicate& predicate) {
    Predicate::Iterator it(predicate);
    std::string scratch;
    const std::string* name = textAfter(predicate, it, kName, scratch);
    if (name == nullptr) return;
    auto joint = Types::mJointIDMap.find(*name);
    if (joint == Types::mJointIDMap.end()) {
        std::cerr << "(VarAzozizor) unknown joint id!" << std::endl;
        return;
    }
    HingeJointSense sense;
    if (predicate.GetValue(it, kAngle, sense.angle) && isFinite(sense.angle)) {
        mWorldModel.setMyJointAngle(joint->second, static_cast<double>(sense.angle));
    }
}

void Parser::parseHearInfo(const Predicate& predicate) {
    Predicate::Iterator it(predicate);
    // "(hear TEAM TIME self|DIRECTION MESSAGE)": newer servers name the speaker's team
    // first. A first value that is a word but not a number is that team; it is not used.
    std::string scratch;
    const std::string* first = textAt(predicate, it, scratch);
    if (first != nullptr && !isNumberText(*first)) ++it;
    double time = 0.0;
    if (!predicate.AdvanceValue(it, time) || !isFinite(time)) {
        std::cerr << "could not get hear time \n";
        return;
    }
    double direction = 0.0;  // where the message came from; not used
    if (!predicate.AdvanceValue(it, direction)) {
        std::cerr << "could not get sender \n";
        return;
    }
    std::string message;
    if (!predicate.GetValue(it, message)) {
        std::cerr << "could not get message \n";
        return;
    }
    mWorldModel.setCommunicationString(message, time);
}

void Parser::parseObjectVision(const Predicate& predicate) {
    mWorldModel.setTimeLastSeen(mWorldModel.getServerTime());
    Predicate::Iterator it(predicate);
    for (; it != it.end(); ++it) {
        Predicate::Iterator object = it;
        if (predicate.DescentList(object)) visionObject(predicate, object);
    }
}

// One object of a vision message; object is at its name.
void Parser::visionObject(const Predicate& predicate, Predicate::Iterator object) {
    std::string scratch;
    const std::string* text = textAt(predicate, object, scratch);
    if (text == nullptr) return;
    if (zeitgeist::sameText(*text, "P", 1)) parsePlayerInfo(predicate, object);
    if (!usesExtendedName(*text)) return;
    std::string name = *text;
    std::string id;
    if (predicate.GetValue(object, kId, id)) name += id;
    if (name == "mypos") {
        Predicate::Iterator numbers = object;
        ++numbers;
        salt::Vector3f position;
        if (predicate.AdvanceValue(numbers, position) && isFinite(position)) {
            mWorldModel.setSenseMyPos(position);
        }
    }
    if (name.empty()) return;
    const char letter = name[0];
    const bool landmarkOrBall = isLandmarkOrBall(letter);
    if (!landmarkOrBall && Types::mVisionObjectMap.empty()) return;
    Predicate::Iterator polar = object;
    VisionSense sense;
    if (!predicate.FindParameter(polar, kPol) || !readPolar(predicate, polar, sense)) return;
    if (landmarkOrBall) {
        const std::string suffix = name.substr(1, 2);
        if (letter == 'F') flagVisionEvent(suffix, sense);
        if (letter == 'B') ballVisionEvent(sense);
        if (letter == 'G') goalVisionEvent(suffix, sense);
    }
    if (Types::mVisionObjectMap.empty()) return;
    auto kind = Types::mVisionObjectMap.find(name);
    if (kind != Types::mVisionObjectMap.end()) Types::mVisionMap[kind->second] = sense;
}

void Parser::parsePlayerInfo(const Predicate& predicate, Predicate::Iterator it) {
    std::string scratch;
    const std::string* team = textAfter(predicate, it, kTeam, scratch);
    if (team != nullptr) {
        ++it;
    } else {
        std::cerr << "could not get team \n";
    }
    int id = 0;
    bool hasId = predicate.GetValue(it, kId, id);
    if (hasId) {
        ++it;
    } else {
        std::cerr << "could not get id \n";
    }
    ++it;
    for (; it != it.end(); ++it) {
        Predicate::Iterator item = it;
        if (!predicate.DescentList(item)) continue;
        // The first list is "pol" in the older form and a body part in the newer one.
        const bool polForm = advanceKey(predicate, item, kPol);
        VisionSense sense;
        // Without a number the sighting cannot be filed under any player.
        if (!hasId) return;
        if (polForm ? !readPolar(predicate, item, sense) : !headReading(predicate, it, sense)) {
            return;
        }
        salt::Vector3f polar(sense.distance, sense.theta, sense.phi);
        salt::Vector3f position = PolarToCartecian(polar);
        // A player without a team reads as the empty team name.
        static const std::string kNoTeam;
        if ((team != nullptr ? *team : kNoTeam) == mWorldModel.getTeamName()) {
            mWorldModel.setRelOurPos(position, id, HEAD);
        } else {
            mWorldModel.setRelOppPos(position, id, HEAD);
        }
        return;
    }
}

void Parser::flagVisionEvent(const std::string& suffix, const VisionSense& sense) {
    FlagsID flag;
    if (landmarkOf('F', suffix, flag)) mWorldModel.setRelFlagPos(flag, sense);
}

void Parser::goalVisionEvent(const std::string& suffix, const VisionSense& sense) {
    FlagsID post;
    if (landmarkOf('G', suffix, post)) mWorldModel.setRelFlagPos(post, sense);
}

void Parser::ballVisionEvent(const VisionSense& sense) {
    mWorldModel.setRelBallPos(PolarToCartecian(sense));
}

void Parser::GYREvent(const salt::Vector3f& rates) {
    mWorldModel.setGyro(rates);
}

void Parser::FRPEvent(const std::string& name, const FootRes& footRes) {
    if (name == "lf") mWorldModel.setLeftFootForce(footRes);
    if (name == "rf") mWorldModel.setRightFootForce(footRes);
}

void Parser::TCHEvent(const std::string& name, int value) {
    if (name == "lf") mWorldModel.setLeftTouchVal(value);
    if (name == "rf") mWorldModel.setRightTouchVal(value);
}

void Parser::playerVisionEvent(int number, const std::string& team, const VisionSense& sense) {
    const salt::Vector3f position = PolarToCartecian(sense);
    if (team == mWorldModel.getTeamName()) {
        mWorldModel.setRelOurPos(position, number - 1, HEAD);
    } else {
        mWorldModel.setRelOppPos(position, number - 1, HEAD);
    }
}
