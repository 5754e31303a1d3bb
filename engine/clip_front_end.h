// What a clip run needs of the front end that started it: the dialog, or the
// console of wendrel-clip.
#pragma once

#include "engine/text/text.h"

namespace wendrel {

struct CalendarDate {
    int year;
    int month;  // 1-12
    int day;    // 1-31
};

// Where a walk stands once an article page has been judged.
struct WalkProgress {
    int articlesRead;  // article pages judged so far, this one included
    PageText address;  // this article's
    PageText date;     // its registration date; empty when none is recognised
    // the registration time after the date (hh:mm or hh:mm:ss), where the
    // page gives one; empty otherwise
    PageText time;
    int pagesUnread;   // pages so far that could not be read
    int number;        // this article's number
    bool unread;       // this page could not be read
    bool beforeSince;  // registered before the since date: it ends the walk, unkept
};

// What a run is doing, for a window that treats the stages differently: a
// run may be stopped while it reads, and once it writes it writes the clip
// whole.
enum class ClipStage {
    reading,  // from the start: the folder is tried and the pages are fetched
    // the clip goes to disk, once no other run saves to the folder; the run
    // ends once it is there
    writing,
};

class ClipFrontEnd {
  public:
    virtual ~ClipFrontEnd() = default;

    virtual CalendarDate SinceDate() = 0;
    virtual PageText FolderText() = 0;
    virtual void SetStatusText(const PageText& text) = 0;
    virtual void ShowWaitCursor() = 0;
    virtual void RemoveWaitCursor() = 0;
    // Called now and then while the run waits for a page, on the thread that
    // started the run: the window may paint, and still takes no input.
    virtual void KeepPainting() = 0;
    // After each article page has been judged. A window that shows only its
    // status text needs nothing more.
    virtual void ArticleRead(const WalkProgress& progress) { static_cast<void>(progress); }
    // When the run enters a stage, reading first.
    virtual void EnterStage(ClipStage stage) { static_cast<void>(stage); }
};

}  // namespace wendrel
