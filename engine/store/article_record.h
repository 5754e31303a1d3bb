// Where runs that clip only what is new left off: a small text file in the
// save folder, one line per site, that a person may read and mend:
//
//     http://news.example 1234 1229 1227
//
// the site, the newest article a run judged, then the articles below it that
// could not be read and are owed to the next run, newest first.
#pragma once

#include <vector>

#include "engine/text/text.h"

namespace wendrel {

constexpr char kRecordFileName[] = "wendrel-record.txt";

// An owed article this many numbers below the record is dropped: a page gone
// for good must not be asked for by every run.
constexpr int kOwedSpan = 300;

struct ArticleRecord {
    int newest = 0;  // 0: no run has left a record
    std::vector<int> owed;
};

enum class RecordState { missing, found, damaged };

struct RecordLookup {
    RecordState state = RecordState::missing;
    ArticleRecord record;
};

// The record of siteBase in the record file's text.
RecordLookup FindRecord(const PageText& recordFile, const PageText& siteBase);

// The record file's text with record as siteBase's line, in place of any
// earlier one; the other lines stay as they were.
PageText WithRecord(const PageText& recordFile, const PageText& siteBase,
                    const ArticleRecord& record);

// What a run judged, from the walk's reports.
class JudgedArticles {
  public:
    explicit JudgedArticles(int floor) : m_floor(floor) {}

    void Add(int number, bool unread, bool beforeSince);
    // The walk stopped early, before judging every article it was to judge.
    void StopEarly() { m_stoppedEarly = true; }

    // The record after the run: it moves up to the newest article only once
    // every new article was judged, and owes each page still unread.
    ArticleRecord After(const ArticleRecord& earlier) const;

  private:
    int m_floor;
    int m_newest = 0;
    bool m_passedNew = false;
    bool m_stoppedEarly = false;
    std::vector<int> m_saved;
    std::vector<int> m_unread;
};

}  // namespace wendrel
