// The clip run's window when it runs from a console: the since date and the
// folder come from the command line, progress goes to the console, and
// Ctrl+C ends the run at its next step, before anything is written.
#pragma once

#include <optional>
#include <string_view>

#include "cli/console.h"
#include "engine/clip_dialog.h"
#include "engine/clip_file.h"

namespace wendrel::cli {

class ConsoleClip final : public ClipDialog {
  public:
    ConsoleClip(const CalendarDate& since, PageText folder, Console& console);

    CalendarDate SinceDate() override { return m_since; }
    PageText FolderText() override { return m_folder; }
    void SetStatusText(const PageText& text) override;
    void ShowWaitCursor() override {}
    void RemoveWaitCursor() override {}
    void KeepPainting() override;
    void ArticleRead(const WalkProgress& progress) override;

    // The last status text, as the dialog would show it.
    const PageText& Status() const { return m_status; }

    // The last moment Ctrl+C stops the run: from here on the clip is written
    // whole and the run ends as it would have.
    void BeginWriting();

  private:
    CalendarDate m_since;
    PageText m_folder;
    Console& m_console;
    PageText m_status;
    bool m_writing = false;
};

// Hands the clip to writer unless Ctrl+C came first.
class ConsoleClipWriter final : public ClipFileWriter {
  public:
    ConsoleClipWriter(ConsoleClip& clip, ClipFileWriter& writer) : m_clip(clip), m_writer(writer) {}

    char PathSeparator() const override { return m_writer.PathSeparator(); }
    bool IsFolder(const PageText& folder) override { return m_writer.IsFolder(folder); }
    void Write(const PageText& path, std::string_view bytes) override {
        m_clip.BeginWriting();
        m_writer.Write(path, bytes);
    }
    std::optional<PageText> ReadExisting(const PageText& path) override {
        return m_writer.ReadExisting(path);
    }

  private:
    ConsoleClip& m_clip;
    ClipFileWriter& m_writer;
};

// "12 read, 0 unread: http://site/arti/123.html 2008-07-16", kept to fewer
// than columns bytes when columns is not 0: the address loses its beginning,
// which is the same on every line, behind "...".
std::string ProgressLine(const WalkProgress& progress, int columns);

}  // namespace wendrel::cli
