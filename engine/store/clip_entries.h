// The clip file as a run of entries, newest first: the header, the article's
// address, the footer and the article's content up to the next entry. A run
// that finds a clip of the date on disk merges into it rather than replacing
// it, so that no run removes an article another run saved.
#pragma once

#include <set>
#include <string_view>

#include "engine/text/text.h"

namespace wendrel {

constexpr char kEntryHeader[] = "<b><br><hr><br>";
constexpr char kEntryFooter[] = "<br></b>";

// An entry begins only where the header, an article address and the footer
// stand together: a scheme and "://", a host (with its port), any path of
// the site's, then "/arti/", digits and ".html", in at most this many bytes.
// Anything else, header and footer included, is an article's content, so an
// article cannot break the clip into false entries. Clips of several sites,
// and of earlier spellings of one site, may share a folder, so the address
// is of any site, its scheme and host in any case.
constexpr std::size_t kMaxEntryAddressBytes = 4096;

// Whether bytes are a clip this program wrote: empty, or beginning with an
// entry. Anything else is a file of someone else's, never to be replaced.
bool IsClip(std::string_view bytes);

// fresh, a new clip, followed by every entry of earlier, a clip, that holds
// content and whose address fresh lacks, in earlier's order. An entry of
// fresh that holds nothing worth keeping (a page that could not be read, or
// one of withoutText, whose page answered without its article text) takes
// the place of nothing earlier held: the earlier entry of its address with
// content stands in its place. Addresses are compared with their scheme and
// host in lower case; no address is in the result twice. A fresh clip whose
// every page was read and which holds every address of earlier comes back as
// it is. Takes time in proportion to the clips' length, whatever they hold.
PageText MergedClip(std::string_view fresh, std::string_view earlier,
                    const std::set<PageText>& withoutText = {});

}  // namespace wendrel
