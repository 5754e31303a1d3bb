// Why a page could not be read, in the words of the status line.
#pragma once

#include "engine/fetch/page_fetcher.h"
#include "engine/text/text.h"

namespace wendrel {

// " (" and the cause of the attempt that left the page unread, and ")": what
// the fetcher found of the connection, else the HTTP status that ended it.
PageText UnreadCause(const FetchResult& lastAttempt);

}  // namespace wendrel
