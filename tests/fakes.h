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
constexpr char kTitleMarker[] = "<!-- #####  news title ##### -->";
constexpr char kTextMarker[] = "<!-- ##### news text - auto ST ##### -->";
constexpr char kEndMarker[] = "<!-- ##### news text - auto END ##### -->";

class FakeDialog : public ClipDialog {
  public:
    CalendarDate since{2008, 7, 16};
    PageText folder = "C:\\Clips";
    std::vector<PageText> statuses;
    int cursorsShown = 0;
    int cursorsRemoved = 0;

    CalendarDate SinceDate() override { return since; }
    PageText FolderText() override { return folder; }
    void SetStatusText(const PageText& text) override { statuses.push_back(text); }
    void ShowWaitCursor() override { ++cursorsShown; }
    void RemoveWaitCursor() override { ++cursorsRemoved; }
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
    static PageText ArticleAddress(int number, const PageText& base = kBase) {
        return base + "/arti/" + std::to_string(number) + ".html";
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

    bool IsFolder(const PageText& folder) override { return folders.count(folder) != 0; }
    void Write(const PageText& path, std::string_view bytes) override {
        files[path] = PageText(bytes);
    }
};

// An article page in the site's layout: the date label, its element's ">", the
// ten-byte date and a space, then the title and body between the markers.
inline PageText ArticlePage(const PageText& date, const PageText& title, const PageText& body) {
    return "<html><table><tr><td class=\"info\">" + PageText(kDateLabel) + " : <span>" + date +
           " 09:30</span></td></tr></table>\n" + kTitleMarker + title + kTextMarker + body +
           kEndMarker + "\n<div>footer</div></html>";
}

// What article number of the site at base, with a plain title and body,
// becomes in the cleaned clip.
inline PageText CleanedArticle(const PageText& base, int number, const PageText& title,
                               const PageText& body) {
    return "<b><br><hr><br>" + FakeSite::ArticleAddress(number, base) + "<br></b>" + kTitleMarker +
           title + "<br><br>" + body;
}

// The same for the fake site.
inline PageText CleanedArticle(int number, const PageText& title, const PageText& body) {
    return CleanedArticle(kBase, number, title, body);
}

}  // namespace wendrel::testing
