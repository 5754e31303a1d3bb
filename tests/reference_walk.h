// The clip a run must write, computed step by step from the pages the site
// served, one byte at a time where the run may take shortcuts. The fuzzer and
// the fault soak compare the real run with it.
#pragma once

#include <functional>

#include "engine/text/text.h"

namespace wendrel::reference {

// The number in the list page's first article link, or 0 when there is none.
int NewestArticle(const PageText& listPage, const PageText& siteBase);

// The cleaned clip of a walk from newest down, where pageOf gives the page
// the run received for an article number and unreadOf, when given, whether
// that page could not be read. lastNumber, when given, receives the number of
// the article the walk stopped at.
PageText ClipOfWalk(const PageText& siteBase, int newest, const PageText& since,
                    const std::function<PageText(int)>& pageOf,
                    const std::function<bool(int)>& unreadOf = nullptr, int* lastNumber = nullptr);

}  // namespace wendrel::reference
