// The clip run's front end when it runs from a console: the since date and
// the folder come from the command line, progress goes to the console, and a
// stop signal (stop_signals.h) asks the run to stop.
#pragma once

#include "cli/console.h"
#include "engine/clip_front_end.h"

namespace wendrel::cli {

class ConsoleFrontEnd final : public ClipFrontEnd {
  public:
    ConsoleFrontEnd(const CalendarDate& since, PageText folder, Console& console);

    CalendarDate SinceDate() override { return m_since; }
    PageText FolderText() override { return m_folder; }
    void SetStatusText(const PageText& text) override;
    void ShowWaitCursor() override {}
    void RemoveWaitCursor() override {}
    bool StopAsked() override;
    void ArticleRead(const WalkProgress& progress) override;

    // The last status text, as the dialog would show it.
    const PageText& Status() const { return m_status; }

  private:
    CalendarDate m_since;
    PageText m_folder;
    Console& m_console;
    PageText m_status;
};

// "12 read, 0 unread: http://site/arti/123.html 2008-07-16", kept to fewer
// than columns bytes when columns is not 0: the address loses its beginning,
// which is the same on every line, behind "...". A date of anything but
// digits and "-" shows as "?", and no control byte is left in the line.
std::string ProgressLine(const WalkProgress& progress, int columns);

}  // namespace wendrel::cli
