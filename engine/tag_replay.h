// RemoveTags's passes replayed over an index of the tags, for texts where the
// one walk declines: each pass touches the tags it deletes and those around
// them instead of the whole text, so that one nested or joined tag in a long
// clip costs no more than the tags themselves.
#pragma once

#include <string_view>

#include "engine/text.h"

namespace wendrel {

// Gives the text exactly the bytes RemoveTags's passes would and returns true,
// or returns false, the text untouched, for a prefix whose occurrences could
// overlap or whose tags could end inside it, and when the tags are nested so
// deep that indexing them would cost more than kReplayBytesPerTextByte times
// the text: the plain passes are then the faster way.
bool ReplayTagPasses(PageText& text, std::string_view prefix);

constexpr long long kReplayBytesPerTextByte = 16;

}  // namespace wendrel
