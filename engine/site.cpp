#include "engine/site.h"

#include <cstdlib>

#include "engine/text/site_spelling.h"

namespace wendrel {

namespace {

// Digit-free, so that the newest article number is the first run of digits
// behind the base in a link.
constexpr const char kDefaultSiteBase[] = "http://news.wendrel.kr";
constexpr char kListPagePath[] = "/kisa/list/total/home01.html";

}  // namespace

PageText SiteBase() {
    const char* override = std::getenv("WENDREL_SITE");
    if (override != nullptr && *override != '\0') {
        return SiteSpelling(override);
    }
    return kDefaultSiteBase;
}

PageText ListPageAddress(const PageText& siteBase) {
    return siteBase + kListPagePath;
}

}  // namespace wendrel
