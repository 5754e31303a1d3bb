// Part of tag removal (tag_removal.h): every tag of some prefixes deleted in a
// single scan of the text, for the texts where that gives the bytes RemoveTags
// gives. Tag removal alone calls the scan; the replay (tag_replay.h) asks
// SuitsOneScan too, as its index of tags rests on the same shape of prefix.
#pragma once

#include <string_view>
#include <vector>

#include "engine/text/text.h"

namespace wendrel {

// Returns whether the prefixes have the shape a single scan, and the replay's
// index, need: none is empty, all begin with the same byte (the byte the scan
// looks for), no occurrence of one can overlap an occurrence of another or of
// itself, and no prefix holds a ">" before its last byte, so that every tag
// ends behind its prefix's first byte. The clean-up's sixteen prefixes have it; "<<" has not.
bool SuitsOneScan(const std::vector<std::string_view>& prefixes);

// Deletes what RemoveTags(text, prefixes) deletes and returns true, or returns
// false with the text untouched when a single scan might give other bytes:
// when the prefixes do not suit (SuitsOneScan), when an occurrence stands
// inside the tag before it ("<tr a=<tr>>": which goes first depends on the
// tag texts before it), or when a deletion would join kept bytes into a new
// occurrence ("<t<tr>r>").
bool RemoveTagsInOneScan(PageText& text, const std::vector<std::string_view>& prefixes);

}  // namespace wendrel
