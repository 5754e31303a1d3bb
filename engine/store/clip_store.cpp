#include "engine/store/clip_store.h"

#include <chrono>
#include <string>
#include <thread>
#include <utility>

#include "engine/failure.h"
#include "engine/store/clip_entries.h"

namespace wendrel {

namespace {

constexpr char kClipSuffix[] = ".html";
constexpr char kIncompleteSuffix[] = " (incomplete)";
// Files by the date's name that are not clips, beside which a clip may go:
// more means something other than people's files is at work.
constexpr int kMostNamesBeside = 99;

}  // namespace

ClipStore::ClipStore(ClipDisk& disk, PageText folder, PageText date,
                     std::chrono::milliseconds lockWait)
    : m_disk(disk), m_folder(std::move(folder)), m_date(std::move(date)), m_lockWait(lockWait) {}

// The names a clip may take, in the order they are tried.
std::vector<PageText> ClipStore::Paths(bool cutShort) const {
    std::vector<PageText> paths{m_folder + m_date + kClipSuffix};
    if (cutShort) {
        paths.push_back(m_folder + m_date + kIncompleteSuffix + kClipSuffix);
    }
    for (int number = 2; number <= kMostNamesBeside; ++number) {
        paths.push_back(m_folder + m_date + " (" + std::to_string(number) + ")" + kClipSuffix);
    }
    return paths;
}

void ClipStore::Check() const {
    const std::vector<PageText> paths = Paths(true);
    for (const PageText& path : paths) {
        CheckPathLength(path);
    }
    if (!m_disk.IsFolder(m_folder)) {
        throw FileFailure(FileCause::badPath, paths.front());
    }
    m_disk.TryFolder(paths.front());
    // Taken and let go at once: only a lock that cannot be had at all is a
    // failure now.
    m_disk.TryLockFolder(m_folder);
}

// Nothing when the wait was stopped.
std::unique_ptr<FolderLock> ClipStore::Lock(const StopQuestion& stopWaiting) const {
    std::unique_ptr<FolderLock> lock;
    const auto had = [this, &lock](std::chrono::milliseconds slice) {
        lock = m_disk.TryLockFolder(m_folder);
        if (!lock) {
            std::this_thread::sleep_for(slice);
        }
        return lock != nullptr;
    };
    const WaitEnd end = WaitPolled(had, stopWaiting, std::chrono::steady_clock::now() + m_lockWait);
    if (end == WaitEnd::timedOut) {
        throw FileFailure(FileCause::lockViolation, m_folder + m_date + kClipSuffix);
    }
    return lock;
}

std::optional<PageText> ClipStore::Save(const PageText& clip, const std::set<PageText>& withoutText,
                                        bool cutShort, const StopQuestion& stopWaiting,
                                        SiteRecord* record, const JudgedArticles& judged) {
    const std::unique_ptr<FolderLock> lock = Lock(stopWaiting);
    if (!lock) {
        return std::nullopt;
    }
    m_disk.RemoveLeftovers(m_folder);
    for (const PageText& path : Paths(cutShort)) {
        const std::optional<PageText> earlier = m_disk.ReadExisting(path);
        if (earlier && !IsClip(*earlier)) {
            continue;
        }
        m_disk.Write(path, earlier ? MergedClip(clip, *earlier, withoutText) : clip);
        if (record != nullptr) {
            record->Move(judged);
        }
        return path;
    }
    // Every name is taken by a file of someone else's.
    throw FileFailure(FileCause::accessDenied, Paths(cutShort).front());
}

}  // namespace wendrel
