// In-memory stand-ins for the dialog, the news site and the disk, so that a
// clip run can be driven and observed without a window, a network or a disk.
#pragma once

#include <algorithm>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "engine/clip_front_end.h"
#include "engine/failure.h"
#include "engine/fetch/page_fetcher.h"
#include "engine/fetch/pause.h"
#include "engine/store/clip_file.h"

namespace wendrel::testing {

constexpr char kBase[] = "http://news.test";
constexpr char kDateLabel[] = "\xB1\xE2\xBB\xE7\xB5\xEE\xB7\xCF";  // 기사등록
constexpr char kTitleMarker[] = "<!-- #####  news title ##### -->";
constexpr char kTextMarker[] = "<!-- ##### news text - auto ST ##### -->";
constexpr char kEndMarker[] = "<!-- ##### news text - auto END ##### -->";

class FakeDialog : public ClipFrontEnd {
  public:
    CalendarDate since{2008, 7, 16};
    PageText folder = "C:\\Clips";
    std::vector<PageText> statuses;
    std::vector<WalkProgress> progress;
    int cursorsShown = 0;
    int cursorsRemoved = 0;
    int stopQuestions = 0;
    // Asked in StopAsked, on the run's thread; no stop when there is none.
    std::function<bool()> stopWhen;

    CalendarDate SinceDate() override { return since; }
    PageText FolderText() override { return folder; }
    void SetStatusText(const PageText& text) override { statuses.push_back(text); }
    void ShowWaitCursor() override { ++cursorsShown; }
    void RemoveWaitCursor() override { ++cursorsRemoved; }
    bool StopAsked() override {
        ++stopQuestions;
        return stopWhen && stopWhen();
    }
    void ArticleRead(const WalkProgress& step) override { progress.push_back(step); }
};

// One attempt's answer, as a site under strain might give it; a body without
// an answer is what arrived of it.
struct Answer {
    FetchEnd end = FetchEnd::answered;
    int status = 200;
    PageText body;
    int retryAfterSeconds = -1;
};

// Serves pages by address; an address it does not know is answered 404 with
// an empty page. An address with scripted answers gives them in turn, the
// last one for good. Several threads may fetch at once.
class FakeSite : public PageFetcher {
  public:
    std::map<PageText, PageText> pages;
    std::map<PageText, std::deque<Answer>> answers;
    std::vector<PageText> requests;

    using PageFetcher::ReadUrl;
    FetchResult ReadUrl(const PageText& address, PageText& page, AbandonSignal&) override {
        const std::lock_guard<std::mutex> lock(m_mutex);
        requests.push_back(address);
        const Answer answer = Next(address);
        page = answer.body;
        return {static_cast<int>(page.size()), answer.end, answer.status, answer.retryAfterSeconds};
    }

    // How often address was asked for, from any thread.
    int RequestsFor(const PageText& address) {
        const std::lock_guard<std::mutex> lock(m_mutex);
        return static_cast<int>(std::count(requests.begin(), requests.end(), address));
    }

    static PageText ListAddress() { return PageText(kBase) + "/kisa/list/total/home01.html"; }
    static PageText ArticleAddress(int number, const PageText& base = kBase) {
        return base + "/arti/" + std::to_string(number) + ".html";
    }

    void SetNewest(int number) {
        pages[ListAddress()] = "<html><a href=\"" + ArticleAddress(number) + "\">top</a>";
    }
    void SetArticle(int number, const PageText& page) { pages[ArticleAddress(number)] = page; }

  private:
    Answer Next(const PageText& address) {
        const auto scripted = answers.find(address);
        if (scripted != answers.end() && !scripted->second.empty()) {
            Answer answer = scripted->second.front();
            if (scripted->second.size() > 1) {
                scripted->second.pop_front();
            }
            return answer;
        }
        const auto found = pages.find(address);
        if (found == pages.end()) {
            return Answer{FetchEnd::answered, 404, "", -1};
        }
        return Answer{FetchEnd::answered, 200, found->second, -1};
    }

    std::mutex m_mutex;
};

// Pauses without waiting, keeping each delay asked for; its clock moves on
// only by the pauses.
class FakePause : public Pause {
  public:
    std::vector<std::chrono::milliseconds> delays;

    void For(std::chrono::milliseconds delay, AbandonSignal&) override {
        const std::lock_guard<std::mutex> lock(m_mutex);
        delays.push_back(delay);
        m_now += delay;
    }
    std::chrono::steady_clock::time_point Now() override {
        const std::lock_guard<std::mutex> lock(m_mutex);
        return m_now;
    }

  private:
    std::mutex m_mutex;
    std::chrono::steady_clock::time_point m_now{};
};

class FakeDisk : public ClipDisk {
  public:
    std::set<PageText> folders{"C:\\Clips\\"};
    std::map<PageText, PageText> files;
    std::set<PageText> full;  // paths whose writes fail as on a full disk
    int writes = 0;           // writes that put a file in place
    char separator = '\\';

    char PathSeparator() const override { return separator; }
    bool IsFolder(const PageText& folder) override { return folders.count(folder) != 0; }
    // Folders that exist but take no new file.
    std::set<PageText> unwritableFolders;
    void TryFolder(const PageText& path) override {
        if (unwritableFolders.count(path.substr(0, path.rfind(separator) + 1)) != 0) {
            throw FileFailure(FileCause::accessDenied, path);
        }
    }
    void Write(const PageText& path, std::string_view bytes) override {
        if (full.count(path) != 0) {
            throw FileFailure(FileCause::diskFull, path);
        }
        files[path] = PageText(bytes);
        ++writes;
    }
    std::optional<PageText> ReadExisting(const PageText& path) override {
        const auto found = files.find(path);
        return found == files.end() ? std::nullopt : std::optional<PageText>(found->second);
    }
    // Each folder whose leftovers were removed while its lock was held; a
    // removal without the lock is not counted.
    std::vector<PageText> leftoversRemoved;
    void RemoveLeftovers(const PageText& folder) override {
        if (lockedFolders.count(folder) != 0) {
            leftoversRemoved.push_back(folder);
        }
    }
    // Folders whose lock is held, by a run or by another.
    std::set<PageText> lockedFolders;
    // Folders whose lock file may not be opened.
    std::set<PageText> unlockableFolders;
    // Another run that holds every folder's lock for this many more tries
    // and puts its files in place before it lets go.
    int triesWhileAnotherRunSaves = 0;
    std::map<PageText, PageText> filesOfTheOtherRun;
    std::unique_ptr<FolderLock> TryLockFolder(const PageText& folder) override {
        if (unlockableFolders.count(folder) != 0) {
            throw FileFailure(FileCause::accessDenied, folder + kLockFileName);
        }
        if (triesWhileAnotherRunSaves > 0) {
            if (--triesWhileAnotherRunSaves == 0) {
                files.insert(filesOfTheOtherRun.begin(), filesOfTheOtherRun.end());
            }
            return nullptr;
        }
        if (!lockedFolders.insert(folder).second) {
            return nullptr;
        }
        return std::make_unique<Lock>(lockedFolders, folder);
    }

  private:
    class Lock final : public FolderLock {
      public:
        Lock(std::set<PageText>& locked, PageText folder)
            : m_locked(locked), m_folder(std::move(folder)) {}
        ~Lock() override { m_locked.erase(m_folder); }

      private:
        std::set<PageText>& m_locked;
        PageText m_folder;
    };
};

// An article page in the site's layout: the date label, its element's ">", the
// ten-byte date and a space, then the title and body between the markers.
inline PageText ArticlePage(const PageText& date, const PageText& title, const PageText& body) {
    return "<html><table><tr><td class=\"info\">" + PageText(kDateLabel) + " : <span>" + date +
           " 09:30</span></td></tr></table>\n" + kTitleMarker + title + kTextMarker + body +
           kEndMarker + "\n<div>footer</div></html>";
}

// An article whose page could not be read, as the clip holds it.
inline PageText UnreadArticle(int number, const PageText& base = kBase) {
    return "<b><br><hr><br>" + FakeSite::ArticleAddress(number, base) + "<br></b>";
}

// What article number of the site at base, with a plain title and body,
// becomes in the cleaned clip.
inline PageText CleanedArticle(const PageText& base, int number, const PageText& title,
                               const PageText& body) {
    return UnreadArticle(number, base) + kTitleMarker + title + "<br><br>" + body;
}

// The same for the fake site.
inline PageText CleanedArticle(int number, const PageText& title, const PageText& body) {
    return CleanedArticle(kBase, number, title, body);
}

}  // namespace wendrel::testing
