#include "tests/reference_walk.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <string>

#include "engine/clip_run.h"
#include "tests/reference_clean_up.h"

namespace wendrel::reference {

namespace {

constexpr char kDateLabel[] = "\xB1\xE2\xBB\xE7\xB5\xEE\xB7\xCF";  // 기사등록

bool IsDigitText(const PageText& oneByte) {
    return !oneByte.empty() && CompareText(oneByte, "0") >= 0 && CompareText(oneByte, "9") <= 0;
}

}  // namespace

int NewestArticle(const PageText& listPage, const PageText& siteBase) {
    const int length = static_cast<int>(listPage.size());
    const int link = FindText(listPage, siteBase + "/arti", 0);
    if (link == -1) {
        return 0;
    }
    int d = link + static_cast<int>(siteBase.size());
    while (d < length && !IsDigitText(MidText(listPage, d, 1))) {
        ++d;
    }
    int e = d + 1;
    while (e < length && CompareText(MidText(listPage, e, 1), ".") != 0) {
        ++e;
    }
    if (d >= length || e >= length) {
        return 0;
    }
    const long value = std::strtol(MidText(listPage, d, e - d).c_str(), nullptr, 10);
    return static_cast<int>(std::clamp<long>(value, 0, INT_MAX));
}

PageText ClipOfWalk(const PageText& siteBase, int newest, const PageText& since,
                    const std::function<PageText(int)>& pageOf,
                    const std::function<bool(int)>& unreadOf, int* lastNumber) {
    PageText collected;
    int undated = 0;
    int unread = 0;
    for (int n = newest; n >= 1; --n) {
        if (lastNumber != nullptr) {
            *lastNumber = n;
        }
        const PageText address = siteBase + "/arti/" + std::to_string(n) + ".html";
        const PageText page = pageOf(n);
        const int m = FindText(page, kDateLabel, 0);
        const int t = FindText(page, ">", m) + 1;
        const int u = FindText(page, " ", t);
        const bool dated = u - t == 10;
        if (dated && CompareText(since, MidText(page, t, 10)) > 0) {
            break;
        }
        const int w = FindText(page, "<!-- #####  news title ##### -->", 0);
        const int a = FindText(page, "<!-- ##### news text - auto END ##### -->", 0);
        collected += "<b><br><hr><br>" + address + "<br></b>" + MidText(page, w, a - w);
        unread = unreadOf && unreadOf(n) ? unread + 1 : 0;
        if (unread == kMaxUnreadInARow) {
            break;
        }
        undated = dated ? 0 : undated + 1;
        if (undated == kMaxPagesWithoutDate) {
            break;
        }
    }
    CleanUpClip(collected);
    return collected;
}

}  // namespace wendrel::reference
