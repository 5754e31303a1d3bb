#include "engine/store/site_record.h"

#include <utility>

namespace wendrel {

SiteRecord::SiteRecord(ClipDisk& disk, const PageText& folder, PageText site)
    : m_disk(disk), m_path(folder + kRecordFileName), m_site(std::move(site)) {
    CheckPathLength(m_path);
}

RecordLookup SiteRecord::Read() const {
    return FindRecord(m_disk.ReadExisting(m_path).value_or(PageText()), m_site);
}

bool SiteRecord::Move(const JudgedArticles& judged) {
    try {
        const PageText file = m_disk.ReadExisting(m_path).value_or(PageText());
        const ArticleRecord moved = judged.After(FindRecord(file, m_site).record);
        if (moved.newest > 0) {
            m_disk.Write(m_path, WithRecord(file, m_site, moved));
        }
        m_moved = moved;
        return true;
    } catch (const FileFailure& failure) {
        m_failure = failure;
        return false;
    }
}

}  // namespace wendrel
