// What a run keeps in its save folder, and the rules that keep it: no run
// removes an article from the folder, and runs on one folder take turns.
//
// A run checks every path it may write, and that it can take the folder's
// lock, before it asks the site for anything. Its walk holds nothing. Once
// the walk is over the run takes the folder's lock, waiting while another run
// saves there, removes the temporary files a run that died there left, and
// only then reads what is on disk: the clip file of the date, which it merges
// into (clip_entries.h), and the record, which it moves by what this walk
// judged (site_record.h), the record last, once the clip holding the walk's
// articles is in place. So a run that waited reads what
// the other run wrote, a record never names an article no file holds, and a
// record that could not be written costs no more than a second fetch of
// articles the merge then drops.
#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <set>
#include <vector>

#include "engine/store/clip_file.h"
#include "engine/store/site_record.h"
#include "engine/text/text.h"
#include "engine/wait/polled_wait.h"

namespace wendrel {

// How long a run waits for another run on its folder to save: seconds at
// most in practice, so a minute means the other run is stuck.
constexpr std::chrono::seconds kFolderLockWait{60};

class ClipStore {
  public:
    // folder ends with disk's separator; date names the clip file.
    ClipStore(ClipDisk& disk, PageText folder, PageText date,
              std::chrono::milliseconds lockWait = kFolderLockWait);

    // Throws the FileFailure that saving would throw for a path that does not
    // end within kMaxPathBytes, whatever name the clip takes, a folder that is
    // missing, or one that takes no file, and the FileFailure of a folder
    // lock that cannot be taken at all (a lock file this user may not open, a
    // file system without locks). A lock another run holds now is no failure:
    // Save waits for it.
    void Check() const;

    // Puts clip, cleaned, into the folder under the folder's lock and returns
    // its path: into the date's clip file, merged with what that file holds
    // (withoutText names clip's articles whose pages had no article text, for
    // which an earlier copy stands);
    // beside a file by that name that is not a clip, as "<date>
    // (incomplete).html" when the walk was cutShort, else as "<date> (2).html"
    // (then 3, ...). Then, still under the lock, moves record, when there is
    // one, by judged. Entries whose address is in withoutText stand for
    // pages without article text: an earlier copy of theirs stands in their
    // place. While another run holds the lock stopWaiting is asked now and
    // then: a yes ends the wait, and nothing, not even the path, is returned,
    // nothing written. A lock not had within the wait is a FileFailure
    // (lockViolation) naming the date's clip file, and nothing is written. A
    // lock had is kept until the clip and the record are in place.
    std::optional<PageText> Save(const PageText& clip, const std::set<PageText>& withoutText,
                                 bool cutShort, const StopQuestion& stopWaiting, SiteRecord* record,
                                 const JudgedArticles& judged);

  private:
    std::vector<PageText> Paths(bool cutShort) const;
    std::unique_ptr<FolderLock> Lock(const StopQuestion& stopWaiting) const;

    ClipDisk& m_disk;
    PageText m_folder;
    PageText m_date;
    std::chrono::milliseconds m_lockWait;
};

}  // namespace wendrel
