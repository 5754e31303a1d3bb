// Strips the site's layout markup from a collected clip.
#pragma once

#include "engine/text.h"

namespace wendrel {

// Removes the layout tags (tables, scripts, frames, fonts, links) and rewrites
// the site's text markers, in the order the site's markup needs.
void CleanUpClip(PageText& clip);

}  // namespace wendrel
