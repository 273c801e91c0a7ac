#include "sparring/report/replay_stream.h"

#include <algorithm>

namespace sparring {

namespace {
constexpr std::size_t kLineBytes = 3 * 1024;  // raw bytes per base64 line, whole groups
const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
}  // namespace

std::string base64(const std::string& raw) {
    std::string out;
    out.reserve((raw.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < raw.size(); i += 3) {
        const std::size_t n = std::min<std::size_t>(3, raw.size() - i);
        unsigned v = static_cast<unsigned>(static_cast<unsigned char>(raw[i])) << 16;
        if (n > 1) v |= static_cast<unsigned>(static_cast<unsigned char>(raw[i + 1])) << 8;
        if (n > 2) v |= static_cast<unsigned char>(raw[i + 2]);
        out += kAlphabet[(v >> 18) & 63];
        out += kAlphabet[(v >> 12) & 63];
        out += n > 1 ? kAlphabet[(v >> 6) & 63] : '=';
        out += n > 2 ? kAlphabet[v & 63] : '=';
    }
    return out;
}

ReplayBytes& ReplayBytes::u8(long v) {
    data_ += static_cast<char>(static_cast<unsigned char>(std::clamp(v, 0L, 255L)));
    return *this;
}

ReplayBytes& ReplayBytes::i8(long v) {
    return u8(std::clamp(v, -128L, 127L) & 0xff);
}

ReplayBytes& ReplayBytes::i16(long v) {
    const long c = std::clamp(v, -32768L, 32767L) & 0xffff;
    return u8(c & 0xff).u8(c >> 8);
}

ReplayBytes& ReplayBytes::u32(long v) {
    const long c = std::clamp(v, 0L, 0xffffffffL);
    for (int shift = 0; shift < 32; shift += 8) u8((c >> shift) & 0xff);
    return *this;
}

ReplayBytes& ReplayBytes::text(const std::string& s) {
    const std::string cut = s.substr(0, 255);
    u8(static_cast<long>(cut.size()));
    data_ += cut;
    return *this;
}

void ReplayStream::append(const std::string& raw) {
    pending_ += raw;
    total_ += raw.size();
    if (pending_.size() >= kLineBytes) writeGroups(pending_.size() / kLineBytes * kLineBytes);
}

void ReplayStream::finish() {
    writeGroups(pending_.size());
    out_.flush();
}

void ReplayStream::writeGroups(std::size_t count) {
    for (std::size_t at = 0; at < count; at += kLineBytes) {
        out_ << base64(pending_.substr(at, std::min(kLineBytes, count - at))) << '\n';
    }
    pending_.erase(0, count);
}

}  // namespace sparring
