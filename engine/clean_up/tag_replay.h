// Part of tag removal (tag_removal.h), which alone calls it: the passes of
// RemoveTags for one prefix, replayed over an index of the tags by tag text
// and by the ">" that ends them. A pass then touches the tags it deletes and
// those around them instead of the whole text, so that one nested or joined
// tag in a clip of megabytes costs about what the tags cost.
#pragma once

#include <string_view>

#include "engine/text/text.h"

namespace wendrel {

// Gives the text the bytes RemoveTags(text, {prefix}) gives and returns true.
// Returns false with the text untouched when the prefix does not suit
// (SuitsOneScan), or when the tags nest so deep that indexing them would walk
// more than kReplayBytesPerTextByte bytes per byte of the text: every nested
// tag keeps a tag text of its own, and the passes as written are then cheaper.
bool ReplayTagPasses(PageText& text, std::string_view prefix);

constexpr long long kReplayBytesPerTextByte = 16;

}  // namespace wendrel
