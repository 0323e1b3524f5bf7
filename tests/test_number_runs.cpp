// Integer texts read by ParseIntArray against formatted stream extraction in the classic locale, on texts
// made to exercise every length of digit run at every distance from the end of the text, with signs,
// leading zeros, numbers too large for 32 bits and characters that end a number without white space.
#include <gtest/gtest.h>

#include <cstdint>
#include <locale>
#include <sstream>
#include <string>
#include <vector>

#include "Colladaasset.h"
#include "DigitWord.h"

namespace {

// What stream extraction reads from `text`: values until the first failure, zeros from there on.
std::vector<int> Extracted(const std::string& text, int count) {
    std::vector<int> values(static_cast<std::size_t>(count), 0);
    std::istringstream stream(text);
    stream.imbue(std::locale::classic());
    for (int i = 0, value = 0; i < count && stream >> value; ++i) values[static_cast<std::size_t>(i)] = value;
    return values;
}

std::vector<int> Parsed(const std::string& text, int count) {
    TIntArray array;
    ParseIntArray(array, text, count);
    return {array.begin(), array.end()};
}

class TTextMaker {
public:
    explicit TTextMaker(std::uint32_t seed) : State(seed) {}

    std::string Number() {
        std::string text;
        const unsigned sign = Below(8);
        if (sign == 0) text += '-';
        if (sign == 1) text += '+';
        const unsigned zeros = Below(6) == 0 ? Below(4) : 0;
        text.append(zeros, '0');
        const unsigned digits = 1 + Below(12);
        for (unsigned i = 0; i < digits; ++i) text += static_cast<char>('0' + Below(10));
        return text;
    }

    std::string Separator() {
        static const char* const Separators[] = {" ", "\n", "\t", "  ", "\r\n"};
        return Separators[Below(5)];
    }

    unsigned Below(unsigned n) {
        State = State * 1664525u + 1013904223u;
        return (State >> 8) % n;
    }

private:
    std::uint32_t State;
};

}  // namespace

TEST(NumberRuns, IntsMatchStreamExtractionWhateverTheRunLengthAndPlace) {
    TTextMaker maker(2026);
    for (int round = 0; round < 3000; ++round) {
        std::string text = maker.Separator();
        const int numbers = 1 + static_cast<int>(maker.Below(6));
        for (int i = 0; i < numbers; ++i) text += maker.Number() + maker.Separator();
        // Every cut of the last characters, so that each run meets the end of the text at every distance.
        for (std::size_t cut = 0; cut <= 9 && cut < text.size(); ++cut) {
            const std::string shorter = text.substr(0, text.size() - cut);
            ASSERT_EQ(Parsed(shorter, numbers + 1), Extracted(shorter, numbers + 1)) << '"' << shorter << '"';
        }
    }
}

TEST(NumberRuns, CharactersThatEndANumberWithoutWhiteSpace) {
    for (const char* text : {"12.5 7", "123456x 9", "1234567-3 4", "7+8 9", "0000012 3", "00000001 2", "99999999 1",
                             "2147483647 1", "2147483648 1", "-2147483648 1", "-2147483649 1", "5/6 7", "1234567:1"}) {
        EXPECT_EQ(Parsed(text, 4), Extracted(text, 4)) << '"' << text << '"';
    }
}

// The word reader on its own, including the run of all eight digits that the integer reader leaves to its
// digit loop but the benchmarks' floor reads through it: every run length, ended by every byte that is no
// digit, with the bytes after the end never counted or valued.
TEST(NumberRuns, TheEightByteWordMeasuresAndValuesEveryRunExactly) {
    TTextMaker maker(13);
    for (int length = 0; length <= 8; ++length) {
        for (int stop = 0; stop < 256; ++stop) {
            if (stop >= '0' && stop <= '9') continue;
            char text[8];
            std::uint32_t expected = 0;
            for (int i = 0; i < length; ++i) {
                text[i] = static_cast<char>('0' + maker.Below(10));
                expected = expected * 10 + static_cast<std::uint32_t>(text[i] - '0');
            }
            // The stop byte, then digits again, which must not extend the run.
            for (int i = length; i < 8; ++i) text[i] = i == length ? static_cast<char>(stop) : '7';
            const std::uint64_t word = DigitWord::Load(text);
            ASSERT_EQ(DigitWord::LeadingDigits(word), length) << "stop byte " << stop;
            if (length > 0) {
                ASSERT_EQ(DigitWord::Value(word, length), expected) << std::string(text, 8);
            }
        }
    }
    EXPECT_EQ(DigitWord::Value(DigitWord::Load("99999999"), 8), 99999999u);
    EXPECT_EQ(DigitWord::Value(DigitWord::Load("00000000"), 8), 0u);
    EXPECT_EQ(DigitWord::Value(DigitWord::Load("0000001x"), 7), 1u);
}
