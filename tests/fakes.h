// In-memory stand-ins for the dialog, the news site and the disk, so that a
// clip run can be driven and observed without a window, a network or a disk.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "engine/clip_dialog.h"
#include "engine/clip_file.h"
#include "engine/page_fetcher.h"

namespace wendrel::testing {

constexpr char kBase[] = "http://news.test";
constexpr char kDateLabel[] = "\xB1\xE2\xBB\xE7\xB5\xEE\xB7\xCF";  // 기사등록

class FakeDialog : public ClipDialog {
  public:
    CalendarDate since{2008, 7, 16};
    PageText folder = "C:\\Clips";
    std::vector<PageText> statuses;
    std::vector<WalkProgress> progress;
    int cursorsShown = 0;
    int cursorsRemoved = 0;

    CalendarDate SinceDate() override { return since; }
    PageText FolderText() override { return folder; }
    void SetStatusText(const PageText& text) override { statuses.push_back(text); }
    void ShowWaitCursor() override { ++cursorsShown; }
    void RemoveWaitCursor() override { ++cursorsRemoved; }
    void ArticleRead(const WalkProgress& step) override { progress.push_back(step); }
};

// Serves pages by address; an address it does not know gives the empty page,
// as an unfetchable one does.
class FakeSite : public PageFetcher {
  public:
    std::map<PageText, PageText> pages;
    std::vector<PageText> requests;

    int ReadUrl(const PageText& address, PageText& page) override {
        requests.push_back(address);
        const auto found = pages.find(address);
        page = found == pages.end() ? PageText() : found->second;
        return static_cast<int>(page.size());
    }

    static PageText ListAddress() { return PageText(kBase) + "/kisa/list/total/home01.html"; }
    static PageText ArticleAddress(int number) {
        return PageText(kBase) + "/arti/" + std::to_string(number) + ".html";
    }

    void SetNewest(int number) {
        pages[ListAddress()] = "<html><a href=\"" + ArticleAddress(number) + "\">top</a>";
    }
    void SetArticle(int number, const PageText& page) { pages[ArticleAddress(number)] = page; }
};

class FakeDisk : public ClipFileWriter {
  public:
    std::set<PageText> folders{"C:\\Clips\\"};
    std::map<PageText, PageText> files;
    char separator = '\\';

    char PathSeparator() const override { return separator; }
    bool IsFolder(const PageText& folder) override { return folders.count(folder) != 0; }
    void Write(const PageText& path, std::string_view bytes) override {
        files[path] = PageText(bytes);
    }
};

// An article page in the site's layout: the date label, its element's ">", the
// ten-byte date and a space, then the title and body between the markers.
inline PageText ArticlePage(const PageText& date, const PageText& title, const PageText& body) {
    return "<html><table><tr><td class=\"info\">" + PageText(kDateLabel) + " : <span>" + date +
           " 09:30</span></td></tr></table>\n<!-- #####  news title ##### -->" + title +
           "<!-- ##### news text - auto ST ##### -->" + body +
           "<!-- ##### news text - auto END ##### -->\n<div>footer</div></html>";
}

}  // namespace wendrel::testing
