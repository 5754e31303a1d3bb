// The clip file as a run of entries, newest first: the header, the article's
// address, the footer and the article's content up to the next entry. A run
// that finds a clip of the date on disk merges into it rather than replacing
// it, so that no run removes an article another run saved.
#pragma once

#include <string_view>

#include "engine/text/text.h"

namespace wendrel {

constexpr char kEntryHeader[] = "<b><br><hr><br>";
constexpr char kEntryFooter[] = "<br></b>";

// Whether bytes are a clip this program wrote: empty, or beginning with an
// entry. Anything else is a file of someone else's, never to be replaced.
bool IsClip(std::string_view bytes);

// fresh, a new clip, followed by every entry of earlier, a clip, that holds
// content and whose address fresh lacks, in earlier's order. An entry of
// fresh without content (a page that could not be read) takes the place of
// nothing earlier held: the earlier entry of its address with content stands
// in its place. No address is in the result twice. A fresh clip whose every
// page was read and which holds every address of earlier comes back as it is.
PageText MergedClip(std::string_view fresh, std::string_view earlier);

}  // namespace wendrel
