// Number texts: the accepted forms, where reading stops, and the array length always being the declared count.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "Colladaasset.h"

namespace {

std::vector<float> Floats(std::string_view text, int count) {
    TFloatArray array;
    ParseFloatArray(array, text, count);
    EXPECT_EQ(array.Count(), static_cast<std::size_t>(count));
    return std::vector<float>(array.begin(), array.end());
}

std::vector<int> Ints(std::string_view text, int count) {
    TIntArray array;
    ParseIntArray(array, text, count);
    EXPECT_EQ(array.Count(), static_cast<std::size_t>(count));
    return std::vector<int>(array.begin(), array.end());
}

using F = std::vector<float>;
using I = std::vector<int>;

TEST(Numbers, CountDecidesTheLength) {
    EXPECT_EQ(Floats("1 2 3", 0), F{});
    EXPECT_EQ(Floats("1 2 3 4", 2), (F{1, 2}));
    EXPECT_EQ(Ints("1 2 3", 5), (I{1, 2, 3, 0, 0}));
    EXPECT_EQ(Floats("", 3), (F{0, 0, 0}));
}

TEST(Numbers, WhiteSpaceOfEveryKindSeparates) {
    EXPECT_EQ(Floats("0.5\n-1e-3\t2", 3), (F{0.5f, -0.001f, 2}));
    EXPECT_EQ(Floats(" \r\n\t 1 \r\n  2\t\t3 \n", 3), (F{1, 2, 3}));
    EXPECT_EQ(Ints("\n\n  7\r\n8  ", 2), (I{7, 8}));
}

TEST(Numbers, FloatForms) {
    EXPECT_EQ(Floats("+1.5 -2 .25 3. 1E2 1e+2 -2.5e-1 -0.00000", 8), (F{1.5f, -2, 0.25f, 3, 100, 100, -0.25f, 0}));
    EXPECT_TRUE(std::signbit(Floats("-0.00000", 1)[0]));
}

// Each text must round to the nearest float, as a direct decimal-to-float conversion gives. Some lie on or
// just above a halfway point between two floats, where going through a double can round the wrong way.
TEST(Numbers, FloatsAreCorrectlyRounded) {
    for (const char* text : {"0.1", "3.14159265358979323846", "1.0000000596046448", "3.4028234e38", "1.17549435e-38",
                             "123456789", "9e-05", "0.333333343267", "16777217", "16777219", "1e-45"}) {
        EXPECT_EQ(Floats(text, 1)[0], std::strtof(text, nullptr)) << text;
    }
}

TEST(Numbers, ReadingStopsAtTheFirstNonNumber) {
    EXPECT_EQ(Floats("1,5 2", 2), (F{1, 0}));
    EXPECT_EQ(Floats("1.5abc 3", 2), (F{1.5f, 0}));
    EXPECT_EQ(Floats("1.0 abc 3", 3), (F{1, 0, 0}));
    EXPECT_EQ(Floats("nan 1", 2), (F{0, 0}));
    EXPECT_EQ(Floats("inf 1", 2), (F{0, 0}));
    EXPECT_EQ(Floats("--1 2", 2), (F{0, 0}));
    // Beyond the float range the extraction fails, as the stream's does; below it the value is zero.
    EXPECT_EQ(Floats("1e999 2", 2), (F{0, 0}));
    EXPECT_EQ(Floats("-3.4028236e38 2", 2), (F{0, 0}));
    EXPECT_EQ(Floats("1e-50 2", 2), (F{0, 2}));
    // Hexadecimal is not a form of its own: the 0 reads, the x stops.
    EXPECT_EQ(Floats("0x1p3 4", 2), (F{0, 0}));
    EXPECT_EQ(Ints("0 1 2.5 3", 4), (I{0, 1, 2, 0}));
    EXPECT_EQ(Ints("1e3 4", 2), (I{1, 0}));
    EXPECT_EQ(Ints("-3 +4 - 5", 4), (I{-3, 4, 0, 0}));
}

TEST(Numbers, IntsOutsideTheSignedRangeStopTheReading) {
    EXPECT_EQ(Ints("2147483647 -2147483648", 2), (I{2147483647, -2147483648}));
    EXPECT_EQ(Ints("1 2147483648 3", 3), (I{1, 0, 0}));
    EXPECT_EQ(Ints("4294967295 1", 2), (I{0, 0}));
    EXPECT_EQ(Ints("99999999999999999999 1", 2), (I{0, 0}));
}

TEST(Numbers, NegativeCountIsAnError) {
    TFloatArray floats;
    EXPECT_THROW(ParseFloatArray(floats, "1 2", -1), std::length_error);
    TIntArray ints;
    EXPECT_THROW(ParseIntArray(ints, "1 2", -5), std::length_error);
}

TEST(Numbers, ReparsingReplacesTheContent) {
    TFloatArray array;
    ParseFloatArray(array, "1 2 3 4", 4);
    ParseFloatArray(array, "9", 2);
    EXPECT_EQ(std::vector<float>(array.begin(), array.end()), (F{9, 0}));
}

// Short arrays are held in the array object, longer ones in a block of their own: copies, moves and
// re-readings across that line keep every value, and an empty array has no data.
TEST(Numbers, ArraysKeepTheirValuesAcrossTheInlineLength) {
    for (const int length : {0, 1, 3, 4, 5, 9}) {
        std::string text;
        for (int i = 0; i < length; ++i) text += std::to_string(i + 1) + " ";
        TFloatArray array;
        ParseFloatArray(array, text, length);
        F expected(array.begin(), array.end());
        ASSERT_EQ(expected.size(), static_cast<std::size_t>(length));
        EXPECT_EQ(array.Data() == nullptr, length == 0) << length;
        const TFloatArray copy = array;
        TFloatArray moved = std::move(array);
        EXPECT_TRUE(array.Empty());
        EXPECT_EQ(F(copy.begin(), copy.end()), expected) << length;
        EXPECT_EQ(F(moved.begin(), moved.end()), expected) << length;
        for (const int other : {2, 4, 6}) {
            TFloatArray target;
            ParseFloatArray(target, "7 7 7 7 7 7", other);
            target = moved;
            EXPECT_EQ(F(target.begin(), target.end()), expected) << length << " over " << other;
            target = TFloatArray(moved);
            EXPECT_EQ(F(target.begin(), target.end()), expected) << length << " moved over " << other;
        }
    }
}

// A program may have switched to a locale whose decimal separator is a comma; document numbers keep the
// full stop all the same.
class CommaLocale : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr)
            << "the locale de_DE.UTF-8 is not generated on this machine (locale-gen de_DE.UTF-8)";
        ASSERT_EQ(std::localeconv()->decimal_point[0], ',');
    }
    void TearDown() override { std::setlocale(LC_ALL, "C"); }
};

TEST_F(CommaLocale, FullStopStillDecimalPoint) {
    EXPECT_EQ(Floats("1.5 -2.25e1 0.1", 3), (F{1.5f, -22.5f, 0.1f}));
    EXPECT_EQ(Floats("1,5 2", 2), (F{1, 0}));
    EXPECT_EQ(Ints("1.000 2", 2), (I{1, 0}));
}

}  // namespace
