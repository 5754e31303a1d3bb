// One clip run: from the since date to the written clip file.
#pragma once

#include <climits>
#include <cstddef>

#include "engine/clip_dialog.h"
#include "engine/clip_file.h"
#include "engine/page_fetcher.h"
#include "engine/text.h"

namespace wendrel {

// Pages in a row without a recognisable date after which a walk gives up, so
// that a site that stopped serving dates cannot keep a run going for ever.
constexpr int kMaxPagesWithoutDate = 50;

// What one run may gather. The clean-up measures the clip in signed 32-bit
// positions, so a longer clip could not be cleaned correctly.
struct WalkLimits {
    std::size_t maxClipBytes = INT_MAX;
};

// How a run that raised no failure ended.
enum class ClipOutcome {
    saved,
    savedWithNotes,  // the status says why the clip may be short
    noArticles,      // the list page named no article; nothing was written
};

// Collects every article registered on or after the dialog's since date, newest
// first, from the site at siteBase, cleans the markup and writes it to
// <folder><separator><yyyy-mm-dd>.html with the writer's separator, reporting
// progress in the dialog's status text.
// Throws FileFailure, MemoryFailure or InvalidArgumentFailure; the wait cursor
// is removed on every path. A walk that would gather more than
// limits.maxClipBytes is a MemoryFailure, and nothing is written.
ClipOutcome RunClip(ClipDialog& dialog, PageFetcher& fetcher, ClipFileWriter& writer,
                    const PageText& siteBase, const WalkLimits& limits = {});

}  // namespace wendrel
