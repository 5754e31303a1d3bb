// Deleting tags by prefix, as the clean-up strips the site's layout markup.
// The bytes it gives are fixed by the simple rule below; this module gives
// them in time that grows with the text, where the rule itself takes time that
// grows with the text times its distinct tags. It alone chooses how: a single
// scan (tag_scan.h), an index of the tags (tag_replay.h), or the rule as
// written for texts neither can take.
#pragma once

#include <string_view>
#include <vector>

#include "engine/text/text.h"

namespace wendrel {

using TagPrefixes = std::vector<std::string_view>;

// Deletes the tags of each prefix (not empty), one prefix after the other, so
// that a later prefix sees the text the earlier ones left. For one prefix it
// repeats a pass until the pass finds nothing to delete: find the first
// occurrence of the prefix (as FindText finds it); its tag text runs from
// there through the first ">" at or after it; delete every copy of that exact
// tag text (as ReplaceAll deletes). When that first occurrence has no ">"
// after it, it and the rest of the text stay.
//
// Identical tags go in one pass, and a tag that a deletion joins goes in a
// later one. For the prefix "<tr": "<tr>1<tr class=x>2<track>3" gives "123",
// "<t<tr>r>x" gives "x", "<tr a=<tr>>x" gives ">x" and "<tr>a<tr" gives
// "a<tr".
void RemoveTags(PageText& text, const TagPrefixes& prefixes);

}  // namespace wendrel
