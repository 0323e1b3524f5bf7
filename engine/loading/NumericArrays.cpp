// Number texts of <float_array>, <p>, <translate>, <rotate> and <scale>, read in one pass with the classic C
// conventions whatever the process locale: a full stop for the decimal point, no digit grouping.
#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <string>

#include "Colladaasset.h"
#include "DigitWord.h"
#include "LoaderThreads.h"

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads one number at `p` the way formatted stream extraction does: leading white space skipped, then a
// number of the accepted form, stopping right after it. False when no number can be read here, which stops
// the whole array.
class TNumberScanner {
public:
    TNumberScanner(const char* first, const char* last) : P(first), End(last) {}

    bool Next(float& value) {
        SkipSpace();
        const char* start = Start = P;
        const bool negative = P != End && *P == '-';
        if (P != End && (*P == '+' || *P == '-')) ++P;
        const char* mantissa = P;
        // Digits are gathered while scanning; past 19 of them the sum wraps and the full conversion decides.
        std::uint64_t digits = 0;
        while (P != End && IsDigit(*P)) digits = digits * 10 + static_cast<unsigned>(*P++ - '0');
        const char* integerEnd = P;
        const char* fraction = P;
        if (P != End && *P == '.') {
            fraction = ++P;
            while (P != End && IsDigit(*P)) digits = digits * 10 + static_cast<unsigned>(*P++ - '0');
        }
        const char* fractionEnd = P;
        if (integerEnd == mantissa && fractionEnd == fraction) return false;
        long long exponent = 0;
        if (P != End && (*P == 'e' || *P == 'E')) {
            // The stream takes the exponent letter once there is a mantissa, and fails without exponent digits.
            ++P;
            const bool negativeExponent = P != End && *P == '-';
            if (P != End && (*P == '+' || *P == '-')) ++P;
            const char* exponentDigits = P;
            while (P != End && IsDigit(*P)) exponent = std::min(exponent * 10 + (*P++ - '0'), 100000LL);
            if (P == exponentDigits) return false;
            if (negativeExponent) exponent = -exponent;
        }
        if ((integerEnd - mantissa) + (fractionEnd - fraction) <= 19 &&
            FastConvert(digits, exponent - (fractionEnd - fraction), negative, value))
            return true;
        return Convert(start, mantissa, value);
    }

    bool Next(int& value) {
        SkipSpace();
        Start = P;
        bool negative = false;
        if (P != End && (*P == '+' || *P == '-')) negative = *P++ == '-';
        std::uint64_t word = 0;
        if (const int length = ShortDigitRun(word); length > 0) {
            const int magnitude = static_cast<int>(DigitWord::Value(word, length));
            P += length;
            value = negative ? -magnitude : magnitude;
            return true;
        }
        const char* digits = P;
        // Gathered while scanning; a run too long for that is read again without its leading zeros.
        std::uint64_t gathered = 0;
        while (P != End && IsDigit(*P)) gathered = gathered * 10 + static_cast<unsigned>(*P++ - '0');
        if (P == digits) return false;
        // Ten digits always fit; longer runs are checked against the 32-bit range, past which the
        // extraction fails as the stream's does.
        if (P - digits > 10) {
            const char* first = digits;
            while (P - first > 10 && *first == '0') ++first;
            if (P - first > 10) return false;
            gathered = Accumulate(first, P, 0);
        }
        const std::int64_t magnitude = static_cast<std::int64_t>(gathered);
        const std::int64_t limit =
            negative ? -static_cast<std::int64_t>(std::numeric_limits<int>::min()) : std::numeric_limits<int>::max();
        if (magnitude > limit) return false;
        value = static_cast<int>(negative ? -magnitude : magnitude);
        return true;
    }

    // After Next failed: whether it failed for want of text, not for a text that is no number.
    bool Exhausted() const { return Start == End; }

private:
    // Index lists are mostly numbers of a few digits, whose varying lengths cost a mispredicted branch each
    // when read digit by digit. With eight bytes left, the run of 1 to 7 digits at P is measured and read
    // at once; 0 when the run is empty or longer, which the digit loop then handles.
    int ShortDigitRun(std::uint64_t& word) const {
        if constexpr (std::endian::native != std::endian::little) return 0;
        if (End - P < 8) return 0;
        word = DigitWord::Load(P);
        const int run = DigitWord::LeadingDigits(word);
        return run == 8 ? 0 : run;
    }

    static std::uint64_t Accumulate(const char* first, const char* last, std::uint64_t digits) {
        for (; first != last; ++first) digits = digits * 10 + static_cast<unsigned>(*first - '0');
        return digits;
    }

    void SkipSpace() {
        while (P != End && IsSpace(*P)) ++P;
    }

    // Exact when the digits fit a double's mantissa and the power of ten is exact too: one correctly rounded
    // double operation. Rounding that double to float is then correct too, unless it fell exactly on a
    // midpoint between two floats, which is left to the full conversion.
    static bool FastConvert(std::uint64_t digits, long long exponent, bool negative, float& value) {
        static constexpr double Powers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                            1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
        if (digits > (std::uint64_t(1) << 53) || exponent < -22 || exponent > 22) return false;
        double result = static_cast<double>(digits);
        result = exponent < 0 ? result / Powers[-exponent] : result * Powers[exponent];
        std::uint64_t bits;
        std::memcpy(&bits, &result, sizeof bits);
        if ((bits & 0x1FFFFFFF) == 0x10000000) return false;
        const float narrowed = static_cast<float>(result);
        if (std::isinf(narrowed)) return false;
        value = negative ? -narrowed : narrowed;
        return true;
    }

    // The text has been checked to be a plain decimal number, so the conversion reads all of it and rounds
    // correctly. A value beyond the float range fails like the stream's extraction; one too small for it
    // becomes zero, as the stream gives.
    bool Convert(const char* start, const char* mantissa, float& value) {
        const char* first = (*start == '+') ? start + 1 : start;
        float result = 0.0f;
        const auto [end, error] = std::from_chars(first, P, result, std::chars_format::general);
        if (error == std::errc()) {
            value = result;
            return end == P;
        }
        if (error != std::errc::result_out_of_range) return false;
        if (MagnitudeAtLeastOne(mantissa)) return false;
        value = (*start == '-') ? -0.0f : 0.0f;
        return true;
    }

    // Whether the number just scanned (mantissa from `mantissa` to P) is at least 1 in magnitude: the decimal
    // position of its first significant digit plus its exponent is not negative.
    bool MagnitudeAtLeastOne(const char* mantissa) const {
        long long integerDigits = 0, digitIndex = 0, firstSignificant = -1;
        bool seenPoint = false;
        const char* q = mantissa;
        for (; q != P && *q != 'e' && *q != 'E'; ++q) {
            if (*q == '.') {
                seenPoint = true;
                continue;
            }
            if (!seenPoint) ++integerDigits;
            if (firstSignificant < 0 && *q != '0') firstSignificant = digitIndex;
            ++digitIndex;
        }
        if (firstSignificant < 0) return false;
        long long exponent = 0;
        if (q != P) {
            ++q;
            const bool negative = *q == '-';
            if (*q == '+' || *q == '-') ++q;
            for (; q != P; ++q) exponent = std::min(exponent * 10 + (*q - '0'), 1000000LL);
            if (negative) exponent = -exponent;
        }
        return integerDigits - 1 - firstSignificant + exponent >= 0;
    }

    const char* P;
    const char* End;
    const char* Start = nullptr;  // where the number last asked for begins, after white space
};

// How many numbers a reading put in place, and whether it stopped because the text ran out.
struct TRun {
    std::size_t Count = 0;
    bool Exhausted = false;
};

// Reads numbers from the text into `values` until `capacity` are read or reading stops.
template <typename T>
TRun ReadRun(std::string_view text, T* values, std::size_t capacity) {
    TNumberScanner scanner(text.data(), text.data() + text.size());
    std::size_t i = 0;
    while (i < capacity && scanner.Next(values[i])) ++i;
    return {i, i < capacity && scanner.Exhausted()};
}

// The same reading with two threads: the text is cut at a white space near its middle, where no number can
// continue, and the second half is read into a block of its own while this thread reads the first half into
// place. The second half's numbers are the sequential reading's only where the first half ran out of text
// without stopping and without filling the array; they are copied after it then.
template <typename T>
std::size_t ReadInTwo(std::string_view text, T* values, std::size_t length) {
    std::size_t cut = text.size() / 2;
    while (cut < text.size() && !IsSpace(text[cut])) ++cut;
    const std::string_view first = text.substr(0, cut), second = text.substr(cut);
    // Every number but the last takes two bytes at least: a sign or a point starts the next one where no
    // white space does.
    const std::size_t secondCapacity = std::min(length, second.size() / 2 + 1);
    TLargeArray<T> secondValues = AllocateLargeArray<T>(secondCapacity, TPages::Later);
    TRun firstRun, secondRun;
    RunInTwo([&] { firstRun = ReadRun(first, values, length); },
             [&] {
                 // The pages this thread's numbers will most likely be copied to are provided here too.
                 const std::size_t likelyStart = length / 2;
                 PopulatePages(values + likelyStart, (length - likelyStart) * sizeof(T));
                 secondRun = ReadRun(second, secondValues.get(), secondCapacity);
             });
    if (!firstRun.Exhausted) return firstRun.Count;
    const std::size_t taken = std::min(secondRun.Count, length - firstRun.Count);
    std::copy(secondValues.get(), secondValues.get() + taken, values + firstRun.Count);
    return firstRun.Count + taken;
}

}  // namespace

template <typename T>
void ParseNumbers(TNumericArray<T>& array, std::string_view text, int count) {
    if (count < 0) throw std::length_error("negative array length " + std::to_string(count));
    const std::size_t length = static_cast<std::size_t>(count);
    const bool inTwo = WorthTwoThreads(text.size());
    array.SetLengthForOverwrite(length, inTwo ? TPages::Later : TPages::Now);
    T* values = array.Data();
    const std::size_t i = inTwo ? ReadInTwo(text, values, length) : ReadRun(text, values, length).Count;
    // The entry where reading stopped and every later one get no number.
    std::fill(values + i, values + length, T(0));
}

void ParseFloatArray(TFloatArray& array, std::string_view text, int count) { ParseNumbers(array, text, count); }

void ParseIntArray(TIntArray& array, std::string_view text, int count) { ParseNumbers(array, text, count); }

long long MaxDeclaredCount(std::size_t textLength) { return static_cast<long long>(textLength) + 64; }

void CheckDeclaredCount(const TXmlNode& node, long long count, std::size_t textLength) {
    const long long most = MaxDeclaredCount(textLength);
    if (count > most)
        node.Fail("declares " + std::to_string(count) + " values but its text can hold at most " +
                  std::to_string(most));
}
