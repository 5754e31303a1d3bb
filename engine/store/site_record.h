// The record file of one save folder as the runs of one site read and move it.
#pragma once

#include <optional>

#include "engine/failure.h"
#include "engine/store/article_record.h"
#include "engine/store/clip_file.h"
#include "engine/text/text.h"

namespace wendrel {

class SiteRecord {
  public:
    // folder ends with disk's separator; site is in its one spelling. Throws
    // FileFailure (badPath) when the record's path does not end within
    // kMaxPathBytes.
    SiteRecord(ClipDisk& disk, const PageText& folder, PageText site);

    const PageText& Path() const { return m_path; }

    // The site's record as it stands: where a walk starts. Throws FileFailure
    // when the file is there but cannot be read.
    RecordLookup Read() const;

    // Reads the record afresh and writes it moved by what a walk judged. Only
    // the clip store calls this, under the folder's lock, once the walk's
    // clip is in place. A record that cannot be written is no failure of the
    // run: false, and Failure() holds why.
    bool Move(const JudgedArticles& judged);

    // The site's record as Move wrote it.
    const ArticleRecord& Moved() const { return m_moved; }
    const std::optional<FileFailure>& Failure() const { return m_failure; }

  private:
    ClipDisk& m_disk;
    PageText m_path;
    PageText m_site;
    ArticleRecord m_moved;
    std::optional<FileFailure> m_failure;
};

}  // namespace wendrel
