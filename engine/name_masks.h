#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrix {

// Masks of names as a user types them, several separated by ';' ("*.jpg;
// *.jpeg"): '*' stands for any run of characters, '?' for exactly one, every
// other character for itself, whatever its letter case ("*.JPG" matches
// "a.jpg", "ŻÓŁW*" matches "żółw.png"). Blanks around a mask are not part of it.
class NameMasks {
public:
    // The masks of `text`; none when it holds no mask, or a mask that no
    // name can match, and `error` then says why in the user's words.
    static std::optional<NameMasks> Parse(std::string_view text, std::string& error);

    // Whether `name` (a name, not a path) matches any of the masks.
    bool matches(std::string_view name) const;

private:
    std::vector<std::string> masks_;  // small letters
};

}  // namespace kestrix
