#ifndef HALYX_FUZZ_COMMAND_CHECK_H
#define HALYX_FUZZ_COMMAND_CHECK_H

#include <string>

namespace halyx_fuzz {

// What is wrong with a command text the agent would send, or "" when
// nothing is: a non-finite number ("nan", "inf"), unbalanced parentheses or a
// byte the server could not read. An empty text is a valid reply.
std::string commandProblem(const std::string& command);

// Stops the fuzzer with a message naming what is wrong with a command text the
// agent would send: a non-finite number ("nan", "inf"), unbalanced parentheses
// or a byte the server could not read. An empty text is a valid reply.
void checkCommand(const std::string& where, const std::string& command);

// Stops the fuzzer with the message when the condition is false; unlike
// assert() it stays on in every build type.
void require(bool condition, const std::string& message);

}  // namespace halyx_fuzz

#endif
