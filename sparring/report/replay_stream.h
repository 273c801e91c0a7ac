#ifndef SPARRING_REPLAY_STREAM_H
#define SPARRING_REPLAY_STREAM_H

#include <cstddef>
#include <ostream>
#include <string>

namespace sparring {

// Bytes of one record of a replay: numbers packed little endian, values outside a
// field's range clamped to it.
class ReplayBytes {
public:
    ReplayBytes& u8(long v);
    ReplayBytes& i8(long v);
    ReplayBytes& i16(long v);
    ReplayBytes& u32(long v);
    ReplayBytes& text(const std::string& s);  // length byte, then at most 255 bytes
    const std::string& data() const { return data_; }

private:
    std::string data_;
};

// The byte stream of a replay written as base64 text, one line per few kilobytes, so that
// a file cut short still holds every whole line before the cut.
class ReplayStream {
public:
    explicit ReplayStream(std::ostream& out) : out_(out) {}

    void append(const std::string& raw);
    // Writes every buffered byte out, the last group padded: the end of the stream.
    void finish();
    std::size_t bytesWritten() const { return total_; }

private:
    void writeGroups(std::size_t count);

    std::ostream& out_;
    std::string pending_;  // raw bytes not yet encoded
    std::size_t total_ = 0;
};

// The standard base64 alphabet with padding.
std::string base64(const std::string& raw);

}  // namespace sparring

#endif
