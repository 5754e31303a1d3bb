// A clip run over a site made of fuzzed pages: the run must end, never ask for
// an article below 1, and write nothing or exactly what a literal walk collects.
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "engine/clean_up.h"
#include "engine/clip_run.h"
#include "engine/text.h"
#include "tests/fakes.h"
#include "tests/fuzz/fuzz_input.h"

namespace wendrel::fuzzing {
namespace {

constexpr char kBase[] = "http://s";
constexpr char kPageMarker[] = "\n#page#\n";
constexpr char kSince[] = "2008-07-16";

void Check(bool holds) {
    if (!holds) {
        std::abort();
    }
}

PageText ArticleAddress(int number) {
    return PageText(kBase) + "/arti/" + std::to_string(number) + ".html";
}

// Serves the list page, then the article pages from the first number asked
// for downwards; anything further is unfetchable.
class FuzzSite : public PageFetcher {
  public:
    explicit FuzzSite(std::vector<std::string> pieces) : m_pieces(std::move(pieces)) {}

    int ReadUrl(const PageText& address, PageText& page) override {
        ++requests;
        Check(requests <= static_cast<int>(m_pieces.size()) + kMaxPagesWithoutDate + 1);
        if (address == PageText(kBase) + "/kisa/list/total/home01.html") {
            page = ListPage();
            return static_cast<int>(page.size());
        }
        const int number = std::atoi(address.c_str() + sizeof kBase - 1 + 6);
        Check(number >= 1 && address == ArticleAddress(number));
        if (newestAsked == 0) {
            newestAsked = number;
        }
        page = PageForNumber(number);
        return static_cast<int>(page.size());
    }

    std::string PageForNumber(int number) const {
        const std::int64_t index = static_cast<std::int64_t>(newestAsked) - number + 1;
        return index >= 1 && index < static_cast<std::int64_t>(m_pieces.size()) ? m_pieces[index]
                                                                                : "";
    }

    std::string ListPage() const { return m_pieces.empty() ? "" : m_pieces[0]; }

    int requests = 0;
    int newestAsked = 0;

  private:
    std::vector<std::string> m_pieces;
};

bool IsDigitText(const PageText& oneByte) {
    return !oneByte.empty() && CompareText(oneByte, "0") >= 0 && CompareText(oneByte, "9") <= 0;
}

// The newest article number read literally, one byte at a time; 0 for none.
int ReferenceNewest(const PageText& list) {
    const int length = static_cast<int>(list.size());
    const int link = FindText(list, PageText(kBase) + "/arti", 0);
    if (link == -1) {
        return 0;
    }
    int d = link + static_cast<int>(sizeof kBase) - 1;
    while (d < length && !IsDigitText(MidText(list, d, 1))) {
        ++d;
    }
    int e = d + 1;
    while (e < length && CompareText(MidText(list, e, 1), ".") != 0) {
        ++e;
    }
    if (d >= length || e >= length) {
        return 0;
    }
    const long value = std::strtol(MidText(list, d, e - d).c_str(), nullptr, 10);
    return static_cast<int>(std::min<long>(value, INT_MAX));
}

// What the walk collects, step by step as the site's rules read.
PageText ReferenceWalk(const FuzzSite& site, int newest) {
    PageText collected;
    int undated = 0;
    for (int n = newest; n >= 1; --n) {
        const PageText page = site.PageForNumber(n);
        const int m = FindText(page, testing::kDateLabel, 0);
        const int t = FindText(page, ">", m) + 1;
        const int u = FindText(page, " ", t);
        const bool dated = u - t == 10;
        if (dated && CompareText(kSince, MidText(page, t, 10)) > 0) {
            break;
        }
        const int w = FindText(page, "<!-- #####  news title ##### -->", 0);
        const int a = FindText(page, "<!-- ##### news text - auto END ##### -->", 0);
        collected += "<b><br><hr><br>" + ArticleAddress(n) + "<br></b>" + MidText(page, w, a - w);
        undated = dated ? 0 : undated + 1;
        if (undated == kMaxPagesWithoutDate) {
            break;
        }
    }
    CleanUpClip(collected);
    return collected;
}

}  // namespace
}  // namespace wendrel::fuzzing

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace wendrel;
    using namespace wendrel::fuzzing;
    FuzzInput input(data, size);
    FuzzSite site(input.TakeAllPieces(kPageMarker));
    testing::FakeDialog dialog;
    testing::FakeDisk disk;

    RunClip(dialog, site, disk, kBase);

    const int newest = ReferenceNewest(site.ListPage());
    if (newest < 1) {
        Check(site.newestAsked == 0 && disk.files.empty());
        return 0;
    }
    Check(site.newestAsked == newest);
    Check(disk.files.at("C:\\Clips\\2008-07-16.html") == ReferenceWalk(site, newest));
    return 0;
}
