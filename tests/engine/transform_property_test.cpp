// Random paths and random options, many thousand times over: the
// transformation must never crash, must keep the folder part byte for byte,
// and must turn well-formed UTF-8 into well-formed UTF-8.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "name_transform.h"
#include "start_value.h"
#include "utf8.h"

namespace kestrix {
namespace {

// SplitMix64: the same sequence on every platform and library.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}

    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }
    int Below(int bound) { return static_cast<int>(Next() % static_cast<std::uint64_t>(bound)); }
    bool Chance(int percent) { return Below(100) < percent; }

private:
    std::uint64_t state_;
};

// Besides Polish letters, letters whose case partner has another UTF-8 length
// (ı, İ, ſ, ẞ, Ⱥ, ⱥ, the Kelvin sign) and a 4-byte letter.
constexpr std::string_view kPieces[] = {
    "a", "B", "z", "Q",  " ", "_",    ".", ".", "-", "0", "7", "ą", "Ł", "ó",      "Ż", "ź",
    "😀", "🎉", "€", "\\", ":", "<n2>", "ı", "İ", "ſ", "ß", "ẞ", "Ⱥ", "ⱥ", "\u212A", "ǅ", "𐐀",
};
constexpr std::string_view kBadBytes[] = {
    "\xFF", "\xC5", "\x82", "\xE2\x82", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80"};

std::string RandomText(Random& random, int maxPieces, bool allowInvalid, bool allowSlash) {
    std::string text;
    const int pieces = random.Below(maxPieces + 1);
    for (int i = 0; i < pieces; ++i) {
        const int kind = random.Below(20);
        if (allowInvalid && kind == 0) {
            text.append(kBadBytes[random.Below(std::size(kBadBytes))]);
        } else if (allowInvalid && kind == 1) {
            text.push_back(static_cast<char>(random.Below(256)));
        } else if (allowSlash && kind == 2) {
            text.push_back('/');
        } else {
            text.append(kPieces[random.Below(std::size(kPieces))]);
        }
    }
    return text;
}

int RandomInt(Random& random) {
    if (random.Chance(5)) return random.Chance(50) ? INT32_MAX : INT32_MIN;
    if (random.Chance(10)) return random.Below(20) - 10;
    return random.Below(40);
}

std::string RandomStart(Random& random) {
    constexpr std::string_view kStarts[] = {"0",          "1",  "007", "-5",         "$1F",
                                            "0x10",       "x7", "",    "2147483647", "-2147483648",
                                            "2147483648", "1a", "-",   " 3",         "3 "};
    if (random.Chance(80)) return std::string(kStarts[random.Below(std::size(kStarts))]);
    return RandomText(random, 3, true, false);
}

RenameOptions RandomOptions(Random& random, bool allowInvalid) {
    RenameOptions o;
    o.ChangeExtension = random.Chance(40);
    o.NewExtension = RandomText(random, 3, allowInvalid, false);
    o.Scope = random.Chance(3) ? random.Below(7) - 2 : random.Below(3);
    o.ReplaceEnabled = random.Chance(40);
    o.ReplaceFrom = RandomText(random, 2, allowInvalid, false);
    o.ReplaceTo = RandomText(random, 3, allowInvalid, false);
    o.DeleteEnabled = random.Chance(40);
    o.DeleteMode = static_cast<DeleteMode>(random.Below(3));
    o.DeleteCount = RandomInt(random);
    o.DeletePosition = RandomInt(random);
    o.InsertEnabled = random.Chance(40);
    o.InsertMode = static_cast<PlaceMode>(random.Below(3));
    o.InsertText = RandomText(random, 3, allowInvalid, false);
    o.InsertPosition = RandomInt(random);
    o.CaseEnabled = random.Chance(40);
    o.CaseToLower = random.Chance(50);
    o.SpacesEnabled = random.Chance(40);
    o.SpacesToUnderscores = random.Chance(50);
    o.NumberEnabled = random.Chance(40);
    o.NumberStart = RandomStart(random);
    o.NumberAscending = random.Chance(50);
    o.NumberLeadingZeros = random.Chance(50);
    o.NumberMode = static_cast<PlaceMode>(random.Below(3));
    o.NumberPosition = RandomInt(random);
    return o;
}

TEST(TransformPropertyTest, KeepsFolderNeverThrowsUnexpectedlyKeepsUtf8Valid) {
    Random random(0x6b657374726978ULL);
    int validRuns = 0;
    for (int iteration = 0; iteration < 40000; ++iteration) {
        const bool allowInvalid = random.Chance(30);
        const std::string path = RandomText(random, 12, allowInvalid, true);
        const RenameOptions options = RandomOptions(random, allowInvalid);
        const std::int64_t count = random.Chance(5) ? INT32_MAX : random.Below(2000);
        const std::int64_t index =
            random.Chance(5) ? count : random.Below(static_cast<int>(count % 2000) + 1);
        SCOPED_TRACE("iteration " + std::to_string(iteration) + ", path '" + path + "'");

        const std::optional<RenameRules> rules = RenameRules::From(options);
        if (options.numberingInForce() && !ParseStartValue(options.NumberStart)) {
            EXPECT_FALSE(rules.has_value());
            continue;
        }
        ASSERT_TRUE(rules.has_value());
        const ListEntry entry = TransformPath(path, index, count, *rules);
        ASSERT_EQ(entry.current, path);
        ASSERT_TRUE(entry.proposed.starts_with(FolderPart(path)));
        if (!allowInvalid) {
            ++validRuns;
            ASSERT_TRUE(utf8::IsValid(entry.proposed)) << "proposed '" << entry.proposed << "'";
        }
    }
    EXPECT_GT(validRuns, 20000);
}

// Letter case swaps characters one for one, whatever their byte lengths, and
// leaves bytes that are not UTF-8 alone.
TEST(TransformPropertyTest, LetterCaseKeepsTheNumberOfCharacters) {
    Random random(1410);
    RenameOptions options;
    options.CaseEnabled = true;
    for (int iteration = 0; iteration < 20000; ++iteration) {
        const std::string path = RandomText(random, 12, random.Chance(30), true);
        options.CaseToLower = random.Chance(50);
        const std::string proposed = TransformPath(path, 0, 1, RenameRules::From(options).value()).proposed;
        ASSERT_EQ(utf8::CharCount(proposed), utf8::CharCount(path)) << path << " -> " << proposed;
        ASSERT_EQ(utf8::IsValid(proposed), utf8::IsValid(path)) << path << " -> " << proposed;
    }
}

TEST(TransformPropertyTest, NoRuleLeavesEveryPathAlone) {
    Random random(42);
    RenameOptions options;
    for (int iteration = 0; iteration < 5000; ++iteration) {
        // In every scope: splitting a name and joining it again changes nothing.
        options.Scope = iteration % 3;
        const std::string path = RandomText(random, 12, true, true);
        ASSERT_EQ(TransformPath(path, iteration, 5000, RenameRules::From(options).value()).proposed, path)
            << "scope " << options.Scope;
    }
}

}  // namespace
}  // namespace kestrix
