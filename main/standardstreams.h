#ifndef HALYX_MAIN_STANDARDSTREAMS_H
#define HALYX_MAIN_STANDARDSTREAMS_H

// Makes standard input, output and error harmless to the connection before the
// agent opens its socket. A descriptor among 0-2 that the process was started
// without would otherwise be the one the socket gets, and the formation trace,
// the status lines and the diagnostics would go into the TCP stream between the
// frames. Each such descriptor is opened onto /dev/null (or, where there is
// none, onto a pipe whose other end is closed). SIGPIPE is ignored, so that
// writing to an output pipe whose reader has gone fails (the stream keeps its
// error state and later lines are dropped) instead of ending the match.
void guardStandardStreams();

#endif
