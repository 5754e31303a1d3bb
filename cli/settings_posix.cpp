#include <unistd.h>

#include <climits>
#include <fstream>
#include <string_view>

#include "cli/settings.h"
#include "engine/text/ascii_text.h"

namespace wendrel::cli {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string_view Unquoted(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

}  // namespace

std::string ReadSetting(const std::string& path, const std::string& section,
                        const std::string& key) {
    std::ifstream file(path, std::ios::binary);
    bool inSection = false;
    for (std::string line; std::getline(file, line);) {
        std::string_view text = line;
        if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
            text.remove_prefix(kByteOrderMark.size());
        }
        text = Trimmed(text.substr(0, text.find('\r')));
        if (!text.empty() && text.front() == '[') {
            inSection = SameIgnoringCase(Trimmed(text.substr(1, text.find(']') - 1)), section);
            continue;
        }
        const auto equals = text.find('=');
        if (inSection && equals != std::string_view::npos &&
            SameIgnoringCase(Trimmed(text.substr(0, equals)), key)) {
            return std::string(Unquoted(Trimmed(text.substr(equals + 1))));
        }
    }
    return "";
}

std::string CurrentFolder() {
    char folder[PATH_MAX];
    return getcwd(folder, sizeof folder) != nullptr ? folder : ".";
}

}  // namespace wendrel::cli
