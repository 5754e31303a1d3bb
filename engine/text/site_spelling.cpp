#include "engine/text/site_spelling.h"

#include <algorithm>

namespace wendrel {

namespace {

constexpr std::string_view kSchemeEnd = "://";

char LowerCase(char byte) {
    return byte >= 'A' && byte <= 'Z' ? static_cast<char>(byte - 'A' + 'a') : byte;
}

}  // namespace

PageText WithoutTrailingSlash(std::string_view address) {
    return PageText(address.substr(0, address.find_last_not_of('/') + 1));
}

PageText SiteSpelling(std::string_view address) {
    PageText spelled = WithoutTrailingSlash(address);
    const auto scheme = spelled.find(kSchemeEnd);
    if (scheme == PageText::npos) {
        return spelled;
    }
    const auto end = std::min(spelled.find('/', scheme + kSchemeEnd.size()), spelled.size());
    for (std::size_t i = 0; i < end; ++i) {
        spelled[i] = LowerCase(spelled[i]);
    }
    return spelled;
}

}  // namespace wendrel
