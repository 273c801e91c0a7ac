#ifndef SPARRING_REPLAY_PAGE_H
#define SPARRING_REPLAY_PAGE_H

#include <string_view>

namespace sparring {

// The replay page (sparring/report/replay/replay.html), built into the binary so that the
// server needs no file beside it. The recording goes in place of kReplayDataMarker.
std::string_view replayPageTemplate();
constexpr std::string_view kReplayDataMarker = "@@REPLAY_DATA@@";

}  // namespace sparring

#endif
