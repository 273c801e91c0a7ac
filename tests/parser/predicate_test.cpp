#include "parser/predicate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "parser/sexpparser.h"

namespace {

using oxygen::Predicate;
using oxygen::PredicateList;
using zeitgeist::ParameterList;

// The predicates of a text, kept alive for the test.
class Parsed {
public:
    explicit Parsed(const std::string& text) : mList(SexpParser().Parse(text)) {}
    const Predicate& at(int i) const {
        auto it = mList->begin();
        std::advance(it, i);
        return *it;
    }
    int size() const { return mList->GetSize(); }
    std::vector<std::string> names() const {
        std::vector<std::string> result;
        for (const Predicate& p : *mList) result.push_back(p.name);
        return result;
    }

private:
    boost::shared_ptr<PredicateList> mList;
};

TEST(SexpParserParse, EachTopLevelListNamedByAnAtomBecomesOnePredicate) {
    struct Case {
        const char* text;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {"", {}},
        {"(time (now 46.20))(GS (t 0.00) (pm BeforeKickOff))", {"time", "GS"}},
        {"atom ((a) b) () (ok 1)", {"ok"}},
        {"(a 1) (b 2) ) (c 3)", {"a", "b"}},  // reading stops at the stray ")"
        {"(a 1) (b (2", {"a"}},               // the incomplete tail is dropped
        {"(\"quoted name\" x)", {"quoted name"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        testing::internal::CaptureStderr();
        Parsed parsed(c.text);
        testing::internal::GetCapturedStderr();
        EXPECT_EQ(parsed.names(), c.names);
    }
}

TEST(SexpParserParse, AtomsAreTextAndListsNest) {
    Parsed parsed("(See (B (pol 2.04 -10.3 -1.22)) x)");
    ASSERT_EQ(parsed.size(), 1);
    const ParameterList& params = parsed.at(0).parameter;
    ASSERT_EQ(params.GetSize(), 2);
    const ParameterList* ball = boost::any_cast<ParameterList>(&*params.begin());
    ASSERT_NE(ball, nullptr);
    EXPECT_EQ(boost::any_cast<std::string>(*ball->begin()), "B");
    const ParameterList* pol = boost::any_cast<ParameterList>(&*(*ball)[1]);
    ASSERT_NE(pol, nullptr);
    ASSERT_EQ(pol->GetSize(), 4);
    EXPECT_EQ(boost::any_cast<std::string>(*(*pol)[3]), "-1.22");
    EXPECT_EQ(boost::any_cast<std::string>(*params[1]), "x");
}

TEST(SexpParserParse, DeeplyNestedTextIsConvertedAndReleased) {
    const int depth = 100000;
    std::string text = "(deep " + std::string(depth, '(') + "x" + std::string(depth, ')') + ")";
    Parsed parsed(text);
    ASSERT_EQ(parsed.size(), 1);
    const ParameterList* level = &parsed.at(0).parameter;
    int levels = 0;
    while (const ParameterList* inner = boost::any_cast<ParameterList>(&*level->begin())) {
        level = inner;
        levels++;
    }
    EXPECT_EQ(levels, depth);
}

TEST(PredicateRead, KeyedReadsSearchTheWholeListAndLeaveTheIteratorAlone) {
    Parsed parsed("(HJ (n hj1) (ax -0.00))");
    const Predicate& p = parsed.at(0);
    Predicate::Iterator it(p);
    std::string name;
    float angle = 1.0f;
    int asInt = 5;
    double asDouble = 5.0;
    ASSERT_TRUE(p.GetValue(it, "n", name));
    EXPECT_EQ(name, "hj1");
    ASSERT_TRUE(p.GetValue(it, "ax", angle));
    EXPECT_EQ(angle, 0.0f);
    EXPECT_TRUE(std::signbit(angle));
    ASSERT_TRUE(p.GetValue(it, "ax", asInt));
    EXPECT_EQ(asInt, 0);
    ASSERT_TRUE(p.GetValue(it, "n", asDouble));
    EXPECT_EQ(asDouble, 0.0);
    EXPECT_EQ(it, Predicate::Iterator(p));

    // From the second parameter the key of the first is still found.
    ++it;
    ASSERT_TRUE(p.FindParameter(it, "n"));
    ASSERT_TRUE(p.GetValue(it, name));
    EXPECT_EQ(name, "hj1");
}

TEST(PredicateRead, KeyWithoutValueOrNestedKeyIsNotFound) {
    Parsed parsed("(x (y) (z (w 1)))");
    const Predicate& p = parsed.at(0);
    Predicate::Iterator it(p);
    EXPECT_FALSE(p.FindParameter(it, "y"));
    EXPECT_FALSE(p.FindParameter(it, "w"));  // only the list the iterator is in is searched
    EXPECT_FALSE(p.FindParameter(it, "absent"));
    EXPECT_EQ(it, Predicate::Iterator(p));
}

TEST(PredicateRead, KeysHeldAsNumbersOrCStringsAreFoundByTheirText) {
    Predicate p;
    p.parameter.AddValue(std::string("skipped"));
    ParameterList* byNumber = p.parameter.AddList();
    byNumber->AddValue(3);
    byNumber->AddValue(7.5f);
    ParameterList* byCString = p.parameter.AddList();
    byCString->AddValue(static_cast<const char*>("c"));
    byCString->AddValue(std::string("value"));
    ParameterList* keyAlone = p.parameter.AddList();
    keyAlone->AddValue(static_cast<const char*>("alone"));

    float number = 0.0f;
    ASSERT_TRUE(p.GetValue(Predicate::Iterator(p), "3", number));
    EXPECT_EQ(number, 7.5f);
    std::string text;
    ASSERT_TRUE(p.GetValue(Predicate::Iterator(p), "c", text));
    EXPECT_EQ(text, "value");
    Predicate::Iterator it(p);
    EXPECT_FALSE(p.FindParameter(it, "alone"));
    EXPECT_FALSE(p.FindParameter(it, "skipped"));  // a plain value is no key
    EXPECT_EQ(it, Predicate::Iterator(p));
}

TEST(PredicateRead, VectorReadsNeedThreeNumbersAndLeaveTheIteratorOnFailure) {
    Parsed parsed("(GYR (rt 0.01 0.07) (r3 0.01 0.07 0.46))");
    const Predicate& p = parsed.at(0);
    Predicate::Iterator it(p);
    salt::Vector3f v(9, 9, 9);
    ASSERT_TRUE(p.FindParameter(it, "rt"));
    Predicate::Iterator atValue = it;
    EXPECT_FALSE(p.AdvanceValue(it, v));
    EXPECT_EQ(it, atValue);
    EXPECT_EQ(v.x(), 9.0f);
    ASSERT_TRUE(p.GetValue(Predicate::Iterator(p), "r3", v));
    EXPECT_FLOAT_EQ(v.x(), 0.01f);
    EXPECT_FLOAT_EQ(v.y(), 0.07f);
    EXPECT_FLOAT_EQ(v.z(), 0.46f);
}

TEST(PredicateRead, AdvanceWithKeyEndsInsideTheKeysList) {
    Parsed parsed("(p (a 1 2) (b (nested)))");
    const Predicate& p = parsed.at(0);
    Predicate::Iterator it(p);
    int first = 0;
    ASSERT_TRUE(p.AdvanceValue(it, "a", first));
    EXPECT_EQ(first, 1);
    int second = 0;
    ASSERT_TRUE(p.AdvanceValue(it, second));
    EXPECT_EQ(second, 2);
    EXPECT_EQ(it, it.end());

    // The key is found but its value is a list: the iterator waits at that value.
    Predicate::Iterator jt(p);
    int unreadable = 0;
    EXPECT_FALSE(p.AdvanceValue(jt, "b", unreadable));
    EXPECT_NE(jt.GetList(), &p.parameter);
    EXPECT_TRUE(p.DescentList(jt));
    std::string key;
    ASSERT_TRUE(p.GetValue(jt, key));
    EXPECT_EQ(key, "nested");
}

TEST(PredicateRead, BoolReadsOnlyTheWordsTrueAndFalse) {
    Parsed parsed("(flags true 1 false)");
    const Predicate& p = parsed.at(0);
    Predicate::Iterator it(p);
    bool b = false;
    ASSERT_TRUE(p.AdvanceValue(it, b));
    EXPECT_TRUE(b);
    EXPECT_FALSE(p.AdvanceValue(it, b));
    EXPECT_TRUE(b);
    ++it;
    ASSERT_TRUE(p.AdvanceValue(it, b));
    EXPECT_FALSE(b);
}

TEST(PredicateIterator, StepsStopAtTheEndAndDefaultsReferToTheEmptyList) {
    Parsed parsed("(p a)");
    const Predicate& p = parsed.at(0);
    Predicate::Iterator it(p);
    EXPECT_EQ(boost::any_cast<std::string>(*it), "a");
    ++it;
    EXPECT_EQ(it, it.end());
    ++it;
    EXPECT_EQ(it, it.end());
    EXPECT_TRUE((*it).empty());
    EXPECT_FALSE(p.DescentList(it));
    std::string s;
    EXPECT_FALSE(p.GetValue(it, s));

    Predicate::Iterator none;
    EXPECT_EQ(none.GetList(), &Predicate::nullParamList);
    EXPECT_EQ(none, none.end());
}

TEST(SexpParserGenerate, WritesPredicatesBackAsText) {
    boost::shared_ptr<PredicateList> list(new PredicateList());
    Predicate& time = list->AddPredicate();
    time.name = "time";
    ParameterList* now = time.parameter.AddList();
    now->AddValue(std::string("now"));
    now->AddValue(12.5f);
    Predicate& mixed = list->AddPredicate();
    mixed.name = "m";
    mixed.parameter.AddValue(3);
    mixed.parameter.AddValue(2.0);  // doubles have no text form here
    list->AddPredicate().name = "bare";

    EXPECT_EQ(SexpParser().Generate(list),
              "(time (now 12.50))(m 3 (error data format unknown))(bare )");
    EXPECT_EQ(SexpParser().Generate(boost::shared_ptr<PredicateList>()), "");
}

TEST(PredicateListShape, AddPredicateAppendsInOrderAndClearEmpties) {
    PredicateList list;
    list.AddPredicate().name = "a";
    list.AddPredicate().name = "b";
    EXPECT_EQ(list.GetSize(), 2);
    EXPECT_EQ(list.begin()->name, "a");
    EXPECT_TRUE(list.begin()->parameter.IsEmpty());
    list.Clear();
    EXPECT_EQ(list.GetSize(), 0);
}

}  // namespace
