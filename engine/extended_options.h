#pragma once

#include <string>

#include "word_case.h"

namespace kestrix {

// The further rules of the "Reguły dodatkowe" window, each switched on by its
// own box, applied after the rename options' rules in this order: regular
// expression, name template, plain letters, word case. The defaults are the
// window's initial states.
struct ExtendedOptions {
    bool RegexEnabled = false;
    std::string RegexPattern;
    std::string RegexReplacement;  // $1..$9, ${name} and $$ stand for captures and a dollar
    bool RegexCaseSensitive = true;
    bool RegexAllOccurrences = true;  // off: only the first

    bool TemplateEnabled = false;
    std::string Template;   // see NameTemplate
    int TemplateStart = 1;  // the number [nr] gives the first entry

    bool PlainLetters = false;  // letters without diacritics

    bool WordCaseEnabled = false;
    kestrix::WordCase WordCase = kestrix::WordCase::FirstCapital;

    static constexpr int MaxTemplateStart = 999'999'999;

    // Whether the regular expression and the template are in force: switched on and not empty.
    bool regexInForce() const { return RegexEnabled && !RegexPattern.empty(); }
    bool templateInForce() const { return TemplateEnabled && !Template.empty(); }

    friend bool operator==(const ExtendedOptions&, const ExtendedOptions&) = default;
};

}  // namespace kestrix
