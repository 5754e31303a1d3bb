// What a clip run needs of the window that started it.
#pragma once

#include "engine/text.h"

namespace wendrel {

struct CalendarDate {
    int year;
    int month;  // 1-12
    int day;    // 1-31
};

class ClipDialog {
  public:
    virtual ~ClipDialog() = default;

    virtual CalendarDate SinceDate() = 0;
    virtual PageText FolderText() = 0;
    virtual void SetStatusText(const PageText& text) = 0;
    virtual void ShowWaitCursor() = 0;
    virtual void RemoveWaitCursor() = 0;
    // Called now and then while the run waits for a page, on the thread that
    // started the run: the window may paint, and still takes no input.
    virtual void KeepPainting() = 0;
};

}  // namespace wendrel
