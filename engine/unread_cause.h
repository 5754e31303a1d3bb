// Why a page could not be read, in the words of the status line.
#pragma once

#include "engine/fetch/page_fetcher.h"
#include "engine/fetch/page_retries.h"
#include "engine/text/text.h"

namespace wendrel {

// " (" and the cause of the attempt that left the page unread, and ")": what
// the fetcher found of the connection, else the HTTP status that ended it.
PageText UnreadCause(const FetchResult& lastAttempt);
// The same for a fetched page, whose end may be a pause the run would not
// hold for.
PageText UnreadCause(const FetchedPage& fetched);

// "the site asked for a pause of N s", or "a long pause" when N could not be
// read.
PageText AskedPauseWords(const FetchResult& lastAttempt);

// Why pages in a row could not be read, by how the last of them ended: "the
// site refused 5 times in a row (HTTP status 503)", "did not answer" only
// when it had no answer.
PageText UnreadRowWords(int pages, const FetchResult& lastAttempt);

}  // namespace wendrel
