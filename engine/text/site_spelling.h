// A news site's address in the one spelling that every address of a run is
// built on and that the record of --new runs is kept under, however the user
// wrote it.
#pragma once

#include <string_view>

#include "engine/text/text.h"

namespace wendrel {

// address with its scheme and host in lower case and without trailing "/":
// "HTTP://News.Example:8080/Site/" becomes "http://news.example:8080/Site".
// What follows the host keeps its case, for a server may tell "/Site" from
// "/site".
PageText SiteSpelling(std::string_view address);

// address as written but for its trailing "/": "HTTP://News.Example/" becomes
// "HTTP://News.Example".
PageText WithoutTrailingSlash(std::string_view address);

}  // namespace wendrel
