// Reads arbitrary text with the S-expression reader twice: whole, as the agent
// reads a message, and cut into pieces handed over one call at a time. Both
// readings must give the same expressions, and every element must be well
// formed. Each piece is freed once the reader has moved on, so a reader that
// kept pointing into an old piece is caught by the address sanitizer.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "fuzz/command_check.h"
#include "lib/sexp/parser.h"
#include "lib/sexp/sexp.h"

namespace {

using halyx_fuzz::require;

// One line per element, depth first, written without recursion so that deep
// nesting does not grow this checker's own stack.
std::string describe(const sexp_t* root) {
    std::string out;
    std::vector<std::pair<const sexp_t*, int>> pending{{root, 0}};
    while (!pending.empty()) {
        const sexp_t* e = pending.back().first;
        const int depth = pending.back().second;
        pending.pop_back();
        if (e->next != nullptr && depth > 0) pending.emplace_back(e->next, depth);
        out += std::to_string(depth) + ' ' + std::to_string(e->kind) + ' ' +
               std::to_string(e->line) + ' ';
        if (e->kind == ELT_LIST) {
            require(e->val == nullptr, "list with text");
            if (e->list != nullptr) pending.emplace_back(e->list, depth + 1);
        } else {
            require(e->kind == ELT_ATOM && e->val != nullptr, "atom without text");
            require(e->val_length == std::strlen(e->val) + 1 && e->val_length <= e->val_capacity,
                    "atom length does not match its text");
            require(e->list == nullptr, "atom with children");
            out += std::to_string(e->atom_kind) + ' ' + e->val;
        }
        out += '\n';
    }
    return out;
}

// Every expression the reader completes in text, read in one call sequence.
std::vector<std::string> readWhole(const std::string& text) {
    std::vector<char> buffer(text.begin(), text.end());
    buffer.push_back('\0');
    std::vector<std::string> result;
    parse_continuation* cc = init_continuation(buffer.data());
    while (sexp_t* e = iparse_sexp(buffer.data(), static_cast<int>(text.size()), cc)) {
        result.push_back(describe(e));
        destroy_sexp(e);
    }
    destroy_continuation(cc);
    return result;
}

// The same text cut into pieces of 1 to 16 bytes, their sizes drawn from seed.
std::vector<std::string> readInPieces(const std::string& text, uint32_t seed) {
    std::vector<std::string> result;
    parse_continuation* cc = init_continuation(nullptr);
    size_t pos = 0;
    while (pos < text.size() && !cc->error) {
        seed = seed * 1103515245u + 12345u;
        const size_t length = std::min<size_t>(1 + (seed >> 16) % 16, text.size() - pos);
        std::unique_ptr<char[]> piece(new char[length]);  // exactly the piece, no terminator
        std::memcpy(piece.get(), text.data() + pos, length);
        while (sexp_t* e = iparse_sexp(piece.get(), static_cast<int>(length), cc)) {
            result.push_back(describe(e));
            destroy_sexp(e);
        }
        pos += length;
    }
    destroy_continuation(cc);
    return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    // The first byte chooses where the text is cut; a message ends at its
    // first zero byte, as the frame reader delivers it.
    const uint32_t seed = data[0];
    const char* text = reinterpret_cast<const char*>(data + 1);
    const std::string message(text, strnlen(text, size - 1));

    const std::vector<std::string> whole = readWhole(message);
    const std::vector<std::string> pieces = readInPieces(message, seed);
    require(whole.size() == pieces.size(), "whole and piecewise reading differ in count");
    for (size_t i = 0; i < whole.size(); ++i) {
        require(whole[i] == pieces[i],
                "expression " + std::to_string(i) + " differs:\n" + whole[i] + "---\n" + pieces[i]);
    }
    return 0;
}
