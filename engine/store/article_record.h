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

// The record of siteBase, in its one spelling, in the record file's text: the
// first line whose site is siteBase however it is spelled. A byte-order mark
// before the first line is no part of it.
RecordLookup FindRecord(const PageText& recordFile, const PageText& siteBase);

// The record file's text with record as siteBase's line, in siteBase's
// spelling, in place of every earlier one; the other lines stay as they
// were, the byte-order mark goes.
PageText WithRecord(const PageText& recordFile, const PageText& siteBase,
                    const ArticleRecord& record);

// What a run judged, from the walk's reports.
class JudgedArticles {
  public:
    explicit JudgedArticles(int floor) : m_floor(floor) {}

    // Each article page the walk judged, once; the one dated before its date
    // included.
    void Add(int number, bool unread, bool beforeSince);

    // earlier moved by the run: up to the newest article only when the walk
    // judged every number above the floor up to it, or met an article dated
    // before its date, and began at or below earlier; owing each page still
    // unread. A walk that stopped early (pages unread or undated in a row, its
    // bound) leaves earlier's number as it was.
    ArticleRecord After(const ArticleRecord& earlier) const;

  private:
    int m_floor;
    int m_newest = 0;
    int m_newJudged = 0;
    bool m_metSinceDate = false;
    std::vector<int> m_saved;
    std::vector<int> m_unread;
};

}  // namespace wendrel
