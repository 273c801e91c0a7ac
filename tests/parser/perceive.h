#ifndef HALYX_TESTS_PARSER_PERCEIVE_H
#define HALYX_TESTS_PARSER_PERCEIVE_H

// One whole message read the way the agent reads it: parsed into a fresh store of
// team QEL on the given field, then localised. The message must give no diagnostics.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "parser/parser.h"
#include "worldmodel/types.h"
#include "worldmodel/worldmodel.h"

inline std::unique_ptr<WorldModel> perceive(const std::string& message,
                                            const FieldGeometry& field = designField()) {
    Types::fill();
    auto wm = std::make_unique<WorldModel>();
    wm->setTeamName("QEL");
    wm->setField(field);
    Parser parser(*wm);
    testing::internal::CaptureStderr();
    parser.doParse(message);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    wm->globalize();
    return wm;
}

#endif
