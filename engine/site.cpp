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

PageText SiteAsWritten() {
    const char* override = std::getenv("WENDREL_SITE");
    return override != nullptr && *override != '\0' ? override : kDefaultSiteBase;
}

PageText SiteBase() {
    return SiteSpelling(SiteAsWritten());
}

PageText ListPageAddress(const PageText& siteBase) {
    return siteBase + kListPagePath;
}

}  // namespace wendrel
