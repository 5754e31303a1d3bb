// Text of protocols and settings files: header lines and INI lines, whose
// names and blanks are ASCII whatever bytes their values hold.
#pragma once

#include <string_view>

namespace wendrel {

// text without the spaces, tabs and line ends around it.
std::string_view Trimmed(std::string_view text);

// Whether a and b are the same but for the case of ASCII letters.
bool SameIgnoringCase(std::string_view a, std::string_view b);

}  // namespace wendrel
