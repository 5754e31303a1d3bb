// A clip run over a site made of fuzzed pages: the run must end, never ask for
// an article below 1, and write nothing or exactly what a literal walk collects.
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "engine/clip_run.h"
#include "engine/text/text.h"
#include "tests/fakes.h"
#include "tests/fuzz/fuzz_input.h"
#include "tests/reference_walk.h"

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

    using PageFetcher::ReadUrl;
    FetchResult ReadUrl(const PageText& address, PageText& page, AbandonSignal&) override {
        ++requests;
        Check(requests <= static_cast<int>(m_pieces.size()) + kMaxPagesWithoutDate + 1);
        if (address == PageText(kBase) + "/kisa/list/total/home01.html") {
            page = ListPage();
            return Served(page);
        }
        const int number = std::atoi(address.c_str() + sizeof kBase - 1 + 6);
        Check(number >= 1 && address == ArticleAddress(number));
        if (newestAsked == 0) {
            newestAsked = number;
        }
        page = PageForNumber(number);
        return Served(page);
    }

    std::string PageForNumber(int number) const {
        const std::int64_t index = static_cast<std::int64_t>(newestAsked) - number + 1;
        return index >= 1 && index < static_cast<std::int64_t>(m_pieces.size()) ? m_pieces[index]
                                                                                : "";
    }

    static FetchResult Served(const PageText& page) {
        return {static_cast<int>(page.size()), FetchEnd::answered, 200, -1};
    }

    std::string ListPage() const { return m_pieces.empty() ? "" : m_pieces[0]; }

    int requests = 0;
    int newestAsked = 0;

  private:
    std::vector<std::string> m_pieces;
};

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

    const int newest = reference::NewestArticle(site.ListPage(), kBase);
    if (newest < 1) {
        Check(site.newestAsked == 0 && disk.files.empty());
        return 0;
    }
    Check(site.newestAsked == newest);
    const PageText expected = reference::ClipOfWalk(
        kBase, newest, kSince, [&site](int number) { return site.PageForNumber(number); });
    Check(disk.files.at("C:\\Clips\\2008-07-16.html") == expected);
    return 0;
}
