#include "bench/clip_generator.h"

#include <string>

namespace wendrel {

namespace {

constexpr char kSite[] = "http://news.test";
constexpr char kArticleHeader[] = "<b><br><hr><br>";
constexpr char kArticleFooter[] = "<br></b>";
constexpr char kTitleMarker[] = "<!-- #####  news title ##### -->";
constexpr char kTextMarker[] = "<!-- ##### news text - auto ST ##### -->";
constexpr char kGulim[] = "\xB1\xBC\xB8\xB2";     // 굴림
constexpr char kReporter[] = "\xB1\xE2\xC0\xDA";  // 기자
constexpr char kRelated[] = "\xB0\xFC\xB7\xC3";   // 관련

// A small generator whose output the standard fixes nowhere, so it is spelled
// out: the clips must be the same in both builds.
class Random {
  public:
    explicit Random(std::uint32_t seed) : m_state(seed * 2654435761u + 1) {}

    int Below(int bound) {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return static_cast<int>(m_state % static_cast<std::uint32_t>(bound));
    }
    int Between(int low, int high) { return low + Below(high - low + 1); }

  private:
    std::uint32_t m_state;
};

// Hangul syllables of the KS X 1001 block: lead bytes B0-C8, second bytes A1-FE.
void AppendKoreanWord(Random& random, PageText& text) {
    for (int syllables = random.Between(1, 4); syllables > 0; --syllables) {
        text += static_cast<char>(random.Between(0xB0, 0xC8));
        text += static_cast<char>(random.Between(0xA1, 0xFE));
    }
}

void AppendSentence(Random& random, PageText& text) {
    for (int words = random.Between(8, 16); words > 0; --words) {
        AppendKoreanWord(random, text);
        text += random.Below(8) == 0 ? ", " : " ";
    }
    text += random.Below(5) == 0 ? "\"" : "";
    text += ". ";
}

void AppendParagraph(Random& random, PageText& text) {
    text += "<P align=justify />";
    for (int sentences = random.Between(4, 9); sentences > 0; --sentences) {
        AppendSentence(random, text);
    }
    text += "<br>\n";
}

void AppendFontScript(PageText& text) {
    text += "<script language=\"javascript\">\n// fontSet();\n</script>\n";
}

void AppendAdFrame(Random& random, PageText& text) {
    text += R"(<div class="ad"><IFRAME src="http://ad.news.test/banner.html?sec=)" +
            std::to_string(random.Between(1, 9)) +
            "\" width=250 height=250 frameborder=0 scrolling=no></IFRAME></div>\n";
}

void AppendPhoto(Random& random, PageText& text, int number) {
    const std::string photo = std::string(kSite) + "/photo/" + std::to_string(number) + "_1.jpg";
    text += R"(<table class="photo" width=")" + std::to_string(random.Between(2, 5) * 100) +
            R"(" align="center"><tr><td><div id="photo_)" + std::to_string(number) +
            R"("><a href=")" + photo + R"(" target="_blank"><img src=")" + photo +
            "\" border=0></a></div></td></tr>\n<tr><td class=\"caption\">"
            "<font size=\"2\" color=\"#666666\">";
    AppendSentence(random, text);
    text += "</font></td></tr></table>\n";
}

void AppendRelatedLinks(Random& random, PageText& text, int number) {
    text +=
        R"(<div class="related"><font color="#003399">)" + std::string(kRelated) + "</font><br>\n";
    for (int links = random.Between(2, 5); links > 0; --links) {
        text += "<a href=\"" + std::string(kSite) + "/arti/" +
                std::to_string(number - random.Between(1, 5000)) + R"(.html" target="_blank">)";
        AppendKoreanWord(random, text);
        AppendKoreanWord(random, text);
        text += "</a><br>\n";
    }
    text += "</div>\n";
}

void AppendCommentFrame(PageText& text, int number) {
    text += "<IFRAME src=\"" + std::string(kSite) +
            "/comment/list.html?no=" + std::to_string(number) +
            "\" width=\"100%\" height=300 frameborder=0></IFRAME>\n";
}

void AppendByline(Random& random, PageText& text) {
    const int reporter = random.Between(1, 60);
    text += "<a href=\"mailto:reporter" + std::to_string(reporter) + "@news.test\">";
    AppendKoreanWord(random, text);
    text += " " + std::string(kReporter) + "</a>\n";
}

void AppendBody(Random& random, PageText& text, int number) {
    text +=
        "<table width=\"100%\" border=\"0\" cellpadding=\"0\" cellspacing=\"0\"><tr>"
        "<td class=\"news_text\">\n<div id=\"news_body_area\"><font face=\"" +
        std::string(kGulim) + "\" size=\"" + std::to_string(random.Between(2, 3)) + "\">\n";
    AppendFontScript(text);
    const int paragraphs = random.Between(12, 25);
    const int photoAt = random.Below(paragraphs);
    const int adAt = random.Below(paragraphs);
    for (int paragraph = 0; paragraph < paragraphs; ++paragraph) {
        AppendParagraph(random, text);
        if (paragraph == photoAt) {
            AppendPhoto(random, text, number);
        }
        if (paragraph == adAt) {
            AppendAdFrame(random, text);
        }
    }
    AppendByline(random, text);
    text += "</font></div></td></tr></table>\n";
    AppendRelatedLinks(random, text, number);
    AppendCommentFrame(text, number);
}

void AppendArticle(Random& random, PageText& clip, int number) {
    clip += kArticleHeader + std::string(kSite) + "/arti/" + std::to_string(number) + ".html" +
            kArticleFooter + kTitleMarker;
    AppendSentence(random, clip);
    clip += kTextMarker;
    AppendBody(random, clip, number);
}

}  // namespace

PageText GenerateClip(int articleCount, std::uint32_t seed) {
    Random random(seed);
    PageText clip;
    const int newest = 200000 + random.Below(100000);
    for (int article = 0; article < articleCount; ++article) {
        AppendArticle(random, clip, newest - article);
    }
    return clip;
}

PageText GenerateClipWithNestedTags(int articleCount) {
    PageText clip = GenerateClip(articleCount);
    clip.insert(clip.size() / 3, R"(<a href="x" title="<a href=y>">z</a><t<tr>r>)");
    return clip;
}

}  // namespace wendrel
