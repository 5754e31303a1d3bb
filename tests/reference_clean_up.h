// The clean-up's passes written the plain way: each RemoveTags pass searches
// again from the first byte and walks the whole text in ReplaceAll. Slow, but
// plainly what the clean-up must give, so the program's own passes are checked
// against these byte for byte.
#pragma once

#include <string_view>

#include "engine/text/text.h"

namespace wendrel::reference {

int FindText(std::string_view text, std::string_view needle, int start);
int ReplaceAll(PageText& text, std::string_view from, std::string_view to);
void RemoveTags(PageText& text, std::string_view prefix);
void CleanUpClip(PageText& clip);

}  // namespace wendrel::reference
