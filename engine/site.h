// Where the news site lives.
#pragma once

#include "engine/text/text.h"

namespace wendrel {

// "http://" and the site's host, no trailing slash. WENDREL_SITE, when set and
// not empty, takes its place in the site's one spelling, so that a local copy
// of the site can be served.
PageText SiteBase();

// The site as written: WENDREL_SITE as set, else the built-in site.
PageText SiteAsWritten();

// The site's total article list, whose first article link names the newest
// article.
PageText ListPageAddress(const PageText& siteBase);

}  // namespace wendrel
