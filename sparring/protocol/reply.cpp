#include "sparring/protocol/reply.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "lib/sexp/parser.h"
#include "lib/sexp/sexp.h"
#include "sparring/world/joints.h"

namespace sparring {

namespace {

bool isAtom(const sexp_t* s) {
    return s != nullptr && s->kind == ELT_ATOM && s->val != nullptr;
}

bool readNumber(const sexp_t* s, double& value) {
    if (!isAtom(s) || s->val[0] == '\0') return false;
    char* end = nullptr;
    value = std::strtod(s->val, &end);
    return *end == '\0' && std::isfinite(value);
}

// A message that fits in one atom of the command stream: printable, no blanks, no
// parentheses or quotes.
bool sayable(const char* text) {
    const std::size_t n = std::strlen(text);
    if (n == 0 || n > kMaxSayLength) return false;
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c <= ' ' || c >= 0x7F || std::strchr("()\"';\\", c) != nullptr) return false;
    }
    return true;
}

// Counts elements after the head of a list.
int argumentCount(const sexp_t* head) {
    int n = 0;
    for (const sexp_t* s = head->next; s != nullptr; s = s->next) ++n;
    return n;
}

// (init (unum N) (teamname T)): both parts required, in either order.
bool readInit(const sexp_t* head, Init& init) {
    bool haveUnum = false, haveTeam = false;
    for (const sexp_t* part = head->next; part != nullptr; part = part->next) {
        if (part->kind != ELT_LIST || !isAtom(part->list) || argumentCount(part->list) != 1) {
            return false;
        }
        const char* key = part->list->val;
        const sexp_t* value = part->list->next;
        double n = 0;
        if (std::strcmp(key, "unum") == 0 && readNumber(value, n) && n == std::floor(n) && n >= 0 &&
            n <= 99) {
            init.unum = static_cast<int>(n);
            haveUnum = true;
        } else if (std::strcmp(key, "teamname") == 0 && isAtom(value) && sayable(value->val)) {
            init.team = value->val;
            haveTeam = true;
        } else {
            return false;
        }
    }
    return haveUnum && haveTeam;
}

// Reads one command into the reply; false when it is unknown or malformed.
bool readCommand(const sexp_t* expr, Reply& reply) {
    if (expr->kind != ELT_LIST || !isAtom(expr->list)) return false;
    const sexp_t* head = expr->list;
    const std::string name = head->val;
    const int args = argumentCount(head);
    const int joint = jointByEffector(name);
    if (joint >= 0) {
        double speed = 0;
        if (args != 1 || !readNumber(head->next, speed)) return false;
        reply.joints.push_back({joint, speed});
        return true;
    }
    if (name == "beam") {
        Beam b{};
        if (args != 3 || !readNumber(head->next, b.x) || !readNumber(head->next->next, b.y) ||
            !readNumber(head->next->next->next, b.rotDegrees)) {
            return false;
        }
        reply.beam = b;
        return true;
    }
    if (name == "say") {
        if (args != 1 || !isAtom(head->next) || !sayable(head->next->val)) return false;
        reply.say = head->next->val;
        return true;
    }
    if (name == "syn") {
        if (args != 0) return false;
        reply.syn = true;
        return true;
    }
    if (name == "scene") {
        if (args < 1 || !isAtom(head->next)) return false;
        reply.scene = head->next->val;
        return true;
    }
    if (name == "init") {
        Init init{};
        if (!readInit(head, init)) return false;
        reply.init = init;
        return true;
    }
    return false;
}

void complain(Reply& reply, const std::string& what) {
    if (reply.bad++ == 0) reply.firstProblem = what;
}

std::string describe(const sexp_t* expr) {
    if (isAtom(expr)) return std::string("stray word \"") + expr->val + "\"";
    if (expr->kind == ELT_LIST && isAtom(expr->list)) {
        return std::string("unknown or malformed command \"") + expr->list->val + "\"";
    }
    return "malformed command";
}

// No valid command nests deeper than (init (unum N) ...), so a reply deeper than this,
// or one with a ")" that closes nothing, is refused whole before it is read at all.
constexpr int kMaxDepth = 8;

bool wellNested(const std::string& text) {
    int depth = 0;
    for (char c : text) {
        if (c == '(' && ++depth > kMaxDepth) return false;
        if (c == ')' && --depth < 0) return false;
    }
    return true;
}

}  // namespace

Reply readReply(const std::string& text) {
    Reply reply;
    if (!wellNested(text)) {
        complain(reply, "unbalanced or too deeply nested parentheses");
        return reply;
    }
    if (text.find('\0') != std::string::npos) complain(reply, "zero byte in the reply");
    std::string buffer = text;  // the reader wants writable text
    buffer.push_back('\0');
    parse_continuation* cc = init_continuation(&buffer[0]);
    const int length = static_cast<int>(text.size());
    while (sexp_t* expr = iparse_sexp(&buffer[0], length, cc)) {
        if (!readCommand(expr, reply)) complain(reply, describe(expr));
        destroy_sexp(expr);
    }
    // Text that ends inside a command or an atom.
    if (cc->error != 0 || cc->depth != 0 || cc->state != 1) {
        complain(reply, "unfinished command");
    }
    destroy_continuation(cc);
    return reply;
}

void appendReply(Reply& reply, Reply&& later) {
    if (later.scene) reply.scene = std::move(later.scene);
    if (later.init) reply.init = std::move(later.init);
    if (later.beam) reply.beam = later.beam;
    if (later.say) reply.say = std::move(later.say);
    reply.joints.insert(reply.joints.end(), later.joints.begin(), later.joints.end());
    reply.syn = reply.syn || later.syn;
    if (reply.bad == 0) reply.firstProblem = std::move(later.firstProblem);
    reply.bad += later.bad;
}

}  // namespace sparring
