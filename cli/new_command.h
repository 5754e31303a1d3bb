// A run that clips what is new since the last such run into the same folder,
// so that a schedule neither repeats nor skips an article.
#pragma once

#include <optional>

#include "cli/clip_command.h"
#include "cli/console.h"
#include "engine/clip_front_end.h"
#include "engine/fetch/page_fetcher.h"
#include "engine/store/clip_file.h"

namespace wendrel::cli {

// Clips the articles above the folder's record for the site into the file
// named after request.since, the day of the run, merged with what that file
// held (the new articles first), then moves the record. A record that could
// not be written is told in the status and then as the failure it was. since, when given, also ends
// the walk at that date; without it and without a record the walk ends at the day of the run.
ExitCode RunNewArticlesCommand(const ClipRequest& request, const std::optional<CalendarDate>& since,
                               PageFetcher& fetcher, ClipDisk& writer, Console& console);

}  // namespace wendrel::cli
