#include <unistd.h>

#include <climits>
#include <fstream>
#include <string_view>

#include "engine/settings_file.h"
#include "engine/text/ascii_text.h"

namespace wendrel {

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
            return std::string(
                Unquoted(Trimmed(text.substr(equals + 1))).substr(0, kMaxSettingBytes - 1));
        }
    }
    return "";
}

void GetModuleFolder(std::string& folder) {
    char program[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", program, sizeof program - 1);
    const std::string path(program, length > 0 ? static_cast<std::size_t>(length) : 0);
    folder = path.substr(0, path.rfind('/') + 1);
}

}  // namespace wendrel
