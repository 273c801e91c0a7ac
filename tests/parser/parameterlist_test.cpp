#include "parser/parameterlist.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>

namespace {

using zeitgeist::ParameterList;

// A one-value list; reads start at its first value.
ParameterList listOf(const boost::any& value) {
    ParameterList list;
    list.AddValue(value);
    return list;
}

template <typename T>
bool readOne(const ParameterList& list, T& value) {
    ParameterList::const_iterator it = list.begin();
    bool ok = list.AdvanceValue(it, value);
    EXPECT_EQ(it, ok ? list.begin() + 1 : list.begin()) << "a read moves past exactly one value";
    return ok;
}

struct TextCase {
    const char* text;
    double asDouble;
    int asInt;
    unsigned int asUnsigned;
};

// Every text is a number to the text route: the longest numeric prefix, else 0.
TEST(ParameterListText, NumbersAreReadFromTextWithAtofAndTruncation) {
    const TextCase cases[] = {
        {"12.5", 12.5, 12, 12u},
        {"-3.7", -3.7, -3, 4294967293u},
        {"-0.00", 0.0, 0, 0u},
        {"hj1", 0.0, 0, 0u},
        {"  7.25xyz", 7.25, 7, 7u},
        {"1e20", 1e20, INT_MAX, 4294967295u},  // saturates, then the low 32 bits
        {"-1e20", -1e20, INT_MIN, 0u},
        {"", 0.0, 0, 0u},
    };
    for (const TextCase& c : cases) {
        SCOPED_TRACE(c.text);
        ParameterList list = listOf(std::string(c.text));
        double d = -1;
        float f = -1;
        int i = -1;
        unsigned int u = 1;
        ASSERT_TRUE(readOne(list, d));
        ASSERT_TRUE(readOne(list, f));
        ASSERT_TRUE(readOne(list, i));
        ASSERT_TRUE(readOne(list, u));
        EXPECT_DOUBLE_EQ(d, c.asDouble);
        EXPECT_FLOAT_EQ(f, static_cast<float>(c.asDouble));
        EXPECT_EQ(i, c.asInt);
        EXPECT_EQ(u, c.asUnsigned);
    }
}

TEST(ParameterListText, NanReadsAsNanForRealsAndZeroForIntegers) {
    ParameterList list = listOf(std::string("nan"));
    double d = 0;
    float f = 0;
    int i = -1;
    unsigned int u = 1;
    ASSERT_TRUE(readOne(list, d));
    ASSERT_TRUE(readOne(list, f));
    ASSERT_TRUE(readOne(list, i));
    ASSERT_TRUE(readOne(list, u));
    EXPECT_TRUE(std::isnan(d));
    EXPECT_TRUE(std::isnan(f));
    EXPECT_EQ(i, 0);
    EXPECT_EQ(u, 0u);
}

TEST(ParameterListText, CStringsAreTextToo) {
    char text[] = "4.5";
    ParameterList list = listOf(static_cast<char*>(text));
    double d = 0;
    std::string s;
    ASSERT_TRUE(readOne(list, d));
    ASSERT_TRUE(readOne(list, s));
    EXPECT_EQ(d, 4.5);
    EXPECT_EQ(s, "4.5");
}

TEST(ParameterListStored, StoredNumbersConvertAlongTheirRoutes) {
    std::string s;
    ASSERT_TRUE(readOne(listOf(12.5f), s));
    EXPECT_EQ(s, "12.5");
    ASSERT_TRUE(readOne(listOf(1.0 / 3.0), s));
    EXPECT_EQ(s, "0.333333");
    ASSERT_TRUE(readOne(listOf(7), s));
    EXPECT_EQ(s, "7");

    float f = 0;
    ASSERT_TRUE(readOne(listOf(2.5), f));
    EXPECT_EQ(f, 2.5f);
    ASSERT_TRUE(readOne(listOf(3), f));
    EXPECT_EQ(f, 3.0f);
    double d = 0;
    ASSERT_TRUE(readOne(listOf(1.25f), d));
    EXPECT_EQ(d, 1.25);
    int i = 0;
    ASSERT_TRUE(readOne(listOf(5u), i));
    EXPECT_EQ(i, 5);
    unsigned int u = 0;
    ASSERT_TRUE(readOne(listOf(-1), u));
    EXPECT_EQ(u, 4294967295u);
}

TEST(ParameterListStored, TypesWithoutARouteFail) {
    std::string s = "kept";
    EXPECT_FALSE(readOne(listOf(true), s));
    EXPECT_FALSE(readOne(listOf(5u), s));
    EXPECT_EQ(s, "kept");
    int i = 9;
    EXPECT_FALSE(readOne(listOf(2.5f), i));  // no float route to int
    EXPECT_FALSE(readOne(listOf(ParameterList()), i));
    EXPECT_EQ(i, 9);
    bool b = false;
    EXPECT_FALSE(readOne(listOf(1.0f), b));
}

TEST(ParameterListStored, BoolComesOnlyFromBoolIntOrTheWordsTrueAndFalse) {
    bool b = false;
    ASSERT_TRUE(readOne(listOf(std::string("true")), b));
    EXPECT_TRUE(b);
    ASSERT_TRUE(readOne(listOf(std::string("false")), b));
    EXPECT_FALSE(b);
    ASSERT_TRUE(readOne(listOf(2), b));
    EXPECT_TRUE(b);
    EXPECT_FALSE(readOne(listOf(std::string("1")), b));
    EXPECT_FALSE(readOne(listOf(std::string("True")), b));
}

TEST(ParameterListVectors, VectorsNeedAllTheirComponents) {
    ParameterList list;
    for (const char* v : {"0.01", "0.07", "0.46"}) list.AddValue(std::string(v));
    salt::Vector3f v3;
    ParameterList::const_iterator it = list.begin();
    ASSERT_TRUE(list.AdvanceValue(it, v3));
    EXPECT_EQ(it, list.end());
    EXPECT_FLOAT_EQ(v3.x(), 0.01f);
    EXPECT_FLOAT_EQ(v3.y(), 0.07f);
    EXPECT_FLOAT_EQ(v3.z(), 0.46f);

    it = list.begin() + 1;
    EXPECT_FALSE(list.AdvanceValue(it, v3));
    EXPECT_EQ(it, list.begin() + 1);
    salt::Vector2f v2;
    ASSERT_TRUE(list.AdvanceValue(it, v2));
    EXPECT_FLOAT_EQ(v2.y(), 0.46f);

    ParameterList stored = listOf(salt::Vector3f(1, 2, 3));
    ASSERT_TRUE(readOne(stored, v3));
    EXPECT_EQ(v3.z(), 3.0f);
}

TEST(ParameterListVectors, MatrixFromSixteenNumbersOrPositionAndAngles) {
    ParameterList sixteen;
    for (int i = 0; i < 16; ++i) sixteen.AddValue(static_cast<float>(i));
    salt::Matrix m;
    ParameterList::const_iterator it = sixteen.begin();
    ASSERT_TRUE(sixteen.AdvanceValue(it, m));
    EXPECT_EQ(it, sixteen.end());
    EXPECT_EQ(m.m[4], 4.0f);  // storage order

    ParameterList poseList;
    for (float v : {1.0f, 2.0f, 3.0f, 90.0f, 0.0f, 0.0f}) poseList.AddValue(v);
    it = poseList.begin();
    ASSERT_TRUE(poseList.AdvanceValue(it, m));
    EXPECT_EQ(it, poseList.end());
    EXPECT_EQ(m.Pos().x(), 1.0f);
    EXPECT_EQ(m.Pos().z(), 3.0f);
    salt::Vector3f turned = m.Rotate(salt::Vector3f(0, 1, 0));  // 90 degrees about x
    EXPECT_NEAR(turned.z(), 1.0f, 1e-6);

    ParameterList five;
    for (int i = 0; i < 5; ++i) five.AddValue(1.0f);
    it = five.begin();
    EXPECT_FALSE(five.AdvanceValue(it, m));
    EXPECT_EQ(it, five.begin());
}

TEST(ParameterListShape, IndexingPoppingAndDeepCopies) {
    ParameterList list;
    list.AddValue(std::string("a"));
    ParameterList* inner = list.AddList();
    inner->AddValue(1);
    EXPECT_EQ(list.GetSize(), 2);
    EXPECT_EQ(list[1], list.begin() + 1);
    EXPECT_EQ(list[2], list.end());
    EXPECT_EQ(list[-1], list.end());

    ParameterList copy = list;
    boost::any_cast<ParameterList>(&*copy[1])->AddValue(2);
    EXPECT_EQ(boost::any_cast<ParameterList>(&*list[1])->GetSize(), 1);

    list.Pop_Front();
    EXPECT_EQ(list.GetSize(), 1);
    list.Pop_Back();
    EXPECT_TRUE(list.IsEmpty());
    list.Pop_Back();
    list.Pop_Front();
    EXPECT_TRUE(list.IsEmpty());
    copy.Clear();
    EXPECT_EQ(copy.GetSize(), 0);
}

TEST(ParameterListShape, VeryDeepNestingIsReleasedWithoutRecursion) {
    ParameterList root;
    ParameterList* level = &root;
    for (int i = 0; i < 300000; ++i) {
        level->AddValue(std::string("k"));
        level = level->AddList();
    }
    // Leaving the scope must not exhaust the stack.
}

}  // namespace
