// The clip run's only access to the network.
#pragma once

#include "engine/text.h"

namespace wendrel {

class PageFetcher {
public:
    virtual ~PageFetcher() = default;

    // Replaces page with the body found at address, cut at its first NUL; a
    // page that cannot be fetched becomes empty. Returns the body bytes received.
    virtual int ReadUrl(const PageText& address, PageText& page) = 0;
};

}  // namespace wendrel
