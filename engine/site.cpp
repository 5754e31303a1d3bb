#include "engine/site.h"

#include <cstdlib>

namespace wendrel {

namespace {

// Digit-free, so that the newest article number is the first run of digits
// behind the base in a link.
constexpr const char kDefaultSiteBase[] = "http://news.wendrel.kr";

}  // namespace

PageText SiteBase() {
    const char* override = std::getenv("WENDREL_SITE");
    if (override != nullptr && *override != '\0') {
        return override;
    }
    return kDefaultSiteBase;
}

}  // namespace wendrel
