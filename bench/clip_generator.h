// Collected clips as a clip run gathers them from the site before clean-up:
// article after article of the site's layout markup around Korean text in code
// page 949, the same bytes for the same arguments on every platform.
#pragma once

#include <cstdint>

#include "engine/text/text.h"

namespace wendrel {

// About 8 to 15 KB an article, each with a few links of its own, so that the
// number of distinct tag texts grows with the articles as on the real site.
PageText GenerateClip(int articleCount, std::uint32_t seed = 1);

// The same with, a third of the way in, an anchor written inside another's
// attribute and a row tag that only a deletion joins: markup where removing
// all tags in a single scan would give other bytes than the passes.
PageText GenerateClipWithNestedTags(int articleCount);

}  // namespace wendrel
