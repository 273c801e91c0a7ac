#include "parser/sexpparser.h"

#include <climits>
#include <iomanip>
#include <utility>
#include <vector>

#include "lib/sexp/parser.h"
#include "parser/recycledlist.h"
#include "parser/treewriter.h"

using oxygen::Predicate;
using oxygen::PredicateList;
using zeitgeist::ParameterList;

boost::shared_ptr<PredicateList> SexpParser::Parse(const std::string& text) {
    return ParseBy(text, true);
}

boost::shared_ptr<PredicateList> SexpParser::ParseWithReader(const std::string& text) {
    return ParseBy(text, false);
}

boost::shared_ptr<PredicateList> SexpParser::ParseBy(const std::string& text, bool direct) {
    if (!mRecycled || mRecycled.use_count() > 1) mRecycled.reset(new RecycledList());
    RecycledList& list = *mRecycled;
    list.Restart();
    // The reader reads at most INT_MAX bytes of a text; the direct route leaves longer
    // texts to it, so that both read the same bytes.
    direct = direct && text.size() <= static_cast<size_t>(INT_MAX);
    if (!text.empty() && !(direct && ParsePlain(list, text.c_str(), text.c_str() + text.size()))) {
        // The direct route gave up part way, or was not asked for: the reader starts
        // over and writes the whole list again.
        list.Restart();
        ReadPredicates(list, text);
    }
    list.DropRest();
    return mRecycled;
}

void SexpParser::ReadPredicates(RecycledList& list, const std::string& text) {
    // The reader only reads the text; its interface predates const.
    char* begin = const_cast<char*>(text.data());
    int length =
        text.size() > static_cast<size_t>(INT_MAX) ? INT_MAX : static_cast<int>(text.size());
    parse_continuation* cc = init_continuation(begin);
    while (sexp_t* sexp = iparse_sexp(begin, length, cc)) {
        SexpToPredicate(list, sexp);
        destroy_sexp(sexp);
    }
    destroy_continuation(cc);
}

void SexpParser::SexpToPredicate(RecycledList& list, const sexp_t* sexp) {
    if (sexp->kind != ELT_LIST || sexp->list == nullptr || sexp->list->kind != ELT_ATOM) return;
    Predicate& predicate = list.Next();
    const sexp_t* name = sexp->list;
    if (name->val != nullptr) {
        predicate.name.assign(name->val, name->val_length - 1);
    } else {
        predicate.name.clear();
    }
    SexpToList(predicate.parameter, name->next);
}

namespace {

int chainLength(const sexp_t* e) {
    int n = 0;
    for (; e != nullptr; e = e->next) n++;
    return n;
}

// An atom's value: its text, or the bytes of a binary atom.
void putAtom(ParameterList& list, int index, const sexp_t* e) {
    if (e->val != nullptr) {
        treewriter::putText(list, index, e->val, e->val_length - 1);
    } else {
        treewriter::putText(list, index, e->bindata, e->binlength);
    }
}

}  // namespace

void SexpParser::SexpToList(ParameterList& list, const sexp_t* first) {
    // Nested lists are entered with an explicit stack of the places to come back
    // to, so the depth of the text does not decide the depth of the call stack.
    // The stack is kept from one predicate to the next, so that it is allocated once
    // rather than for every predicate of every message.
    struct Place {
        ParameterList* list;
        int index;  // the next value of the list to write
        const sexp_t* next;
    };
    static thread_local std::vector<Place> resume;
    resume.clear();
    ParameterList* target = &list;
    int index = 0;
    const sexp_t* e = first;
    target->Reserve(chainLength(e));
    for (;;) {
        while (e == nullptr) {
            treewriter::truncate(*target, index);
            if (resume.empty()) return;
            target = resume.back().list;
            index = resume.back().index;
            e = resume.back().next;
            resume.pop_back();
        }
        if (e->kind == ELT_LIST) {
            resume.push_back({target, index + 1, e->next});
            target = &treewriter::putList(*target, index);
            index = 0;
            e = e->list;
            target->Reserve(chainLength(e));
            continue;
        }
        putAtom(*target, index++, e);
        e = e->next;
    }
}

std::string SexpParser::Generate(boost::shared_ptr<PredicateList> list) {
    if (!list) return "";
    std::ostringstream out;
    for (const Predicate& predicate : *list) PredicateToString(out, predicate);
    return out.str();
}

void SexpParser::PredicateToString(std::ostringstream& out, const Predicate& predicate) {
    out << "(" << predicate.name << " ";
    ListToString(out, predicate.parameter);
    out << ")";
}

void SexpParser::ListToString(std::ostringstream& out, const ParameterList& list) {
    out << std::fixed << std::setprecision(2);
    for (ParameterList::const_iterator it = list.begin(); it != list.end(); ++it) {
        if (it != list.begin()) out << " ";
        if (const std::string* s = boost::any_cast<std::string>(&*it)) {
            out << *s;
        } else if (const float* f = boost::any_cast<float>(&*it)) {
            out << *f;
        } else if (const int* i = boost::any_cast<int>(&*it)) {
            out << *i;
        } else if (const ParameterList* nested = boost::any_cast<ParameterList>(&*it)) {
            out << "(";
            ListToString(out, *nested);
            out << ")";
        } else {
            out << "(error data format unknown)";
        }
    }
}
