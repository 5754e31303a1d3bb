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

// Every member is called on the thread that called RunClip.
class ClipFrontEnd {
  public:
    virtual ~ClipFrontEnd() = default;

    virtual CalendarDate SinceDate() = 0;
    virtual PageText FolderText() = 0;
    virtual void SetStatusText(const PageText& text) = 0;
    virtual void ShowWaitCursor() = 0;
    virtual void RemoveWaitCursor() = 0;
    // Whether the person who started the run has asked it to stop. Asked
    // between pages and, while the run waits, at least every kStopPollEvery
    // (engine/wait/polled_wait.h), at times with a lock of the run's held: it
    // answers at once and touches nothing of the run, so a front end keeps
    // the answer in an atomic flag that its own thread sets. A yes stands for
    // the rest of the run: the run asks again while it waits to save.
    virtual bool StopAsked() = 0;
    // After each article page has been judged. A window that shows only its
    // status text needs nothing more.
    virtual void ArticleRead(const WalkProgress& progress) { static_cast<void>(progress); }
};

}  // namespace wendrel
