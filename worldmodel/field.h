#ifndef HALYX_WORLDMODEL_FIELD_H
#define HALYX_WORLDMODEL_FIELD_H

#include <string>

// The size of a field the agent can play on: what the landmark table, the
// localisation and the queries that depend on the field's size read.
struct FieldGeometry {
    const char* name;  // as the --field option writes it, e.g. "12x8"
    float length;      // metres, goal line to goal line
    float width;       // metres, touch line to touch line
    float goalWidth;   // metres, between the posts
    float postHeight;  // metres, where vision sees a goal post
    // Localisation rounds the directions between landmarks down to 1/quantum
    // of their length; 0 leaves them as read. The rounding turns the camera by
    // up to about half a degree, which moves it by up to 1 cm per metre of
    // distance to the landmarks: tolerable on the small field, where every
    // recorded match was played with it, but decimetres on the large one.
    float directionQuantum;
    // Whether localisation takes the vertical from the accelerometer (through the
    // neck) when it has a reading near 1 g, and from the landmarks only the heading
    // and the position. Landmarks of one goal line lie at most a post's height
    // apart across it, so from landmarks alone the tilt about the goal line is
    // poorly fixed: on the large field, noise of a tenth of a degree put cameras
    // metres away. The design's field keeps the design's fix.
    bool verticalFromAccelerometer;
    // Where play keeps away from: the centre circle at a kick-off, the penalty area
    // that is the goalkeeper's. Metres.
    float centreRadius;
    float penaltyDepth;  // from the goal line
    float penaltyWidth;  // along the goal line
};

// The design's 12 x 8 m field with a 1.4 m goal: the default.
const FieldGeometry& designField();
// The league's 30 x 20 m field with a 2.1 m goal.
const FieldGeometry& leagueField();
// The field the name gives ("12x8" or "30x20"); throws std::invalid_argument
// naming the value otherwise.
const FieldGeometry& fieldNamed(const std::string& name);

#endif
