// The program's resources as Windows reads them from the module.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "res/resource.h"

namespace {

// Reads a DLGTEMPLATEEX front to back.
class TemplateReader {
  public:
    explicit TemplateReader(const std::uint8_t* at) : m_at(at) {}

    template <class T>
    T Read() {
        T value;
        std::memcpy(&value, m_at, sizeof value);
        m_at += sizeof value;
        return value;
    }
    // A string or, behind 0xFFFF, an ordinal written as "#n".
    std::u16string ReadNameOrOrdinal() {
        if (Peek() == 0xFFFF) {
            Read<std::uint16_t>();
            return u"#" + Digits(Read<std::uint16_t>());
        }
        std::u16string text;
        for (auto c = Read<char16_t>(); c != 0; c = Read<char16_t>()) {
            text += c;
        }
        return text;
    }
    void AlignToDword(const std::uint8_t* base) { m_at += (4 - (m_at - base) % 4) % 4; }

  private:
    std::uint16_t Peek() const {
        std::uint16_t value;
        std::memcpy(&value, m_at, sizeof value);
        return value;
    }
    static std::u16string Digits(unsigned value) {
        std::u16string text;
        for (char c : std::to_string(value)) {
            text += static_cast<char16_t>(c);
        }
        return text;
    }

    const std::uint8_t* m_at;
};

struct Control {
    std::int32_t id;
    std::u16string windowClass;
    std::u16string caption;
    std::uint32_t style;
    std::uint32_t exStyle;
    std::int16_t x, y, width, height;
    bool operator==(const Control& other) const {
        return id == other.id && windowClass == other.windowClass && caption == other.caption &&
               style == other.style && exStyle == other.exStyle && x == other.x && y == other.y &&
               width == other.width && height == other.height;
    }
};

void PrintTo(const Control& control, std::ostream* out) {
    *out << "id " << control.id << " style " << std::hex << control.style << " ex "
         << control.exStyle << std::dec << " at " << control.x << "," << control.y << " "
         << control.width << "x" << control.height << " class length "
         << control.windowClass.size();
}

const std::uint8_t* Resource(LPCSTR type, LPCSTR name, WORD language, DWORD* size = nullptr) {
    HRSRC found = ::FindResourceExA(nullptr, type, name, language);
    if (found == nullptr) {
        return nullptr;
    }
    if (size != nullptr) {
        *size = ::SizeofResource(nullptr, found);
    }
    return static_cast<const std::uint8_t*>(::LockResource(::LoadResource(nullptr, found)));
}

constexpr WORD kKorean = MAKELANGID(LANG_KOREAN, SUBLANG_DEFAULT);

TEST(ResourcesTest, DialogTemplateIsTheKoreanMainDialog) {
    const std::uint8_t* base = Resource(RT_DIALOG, MAKEINTRESOURCEA(IDD_WENDREL_DIALOG), kKorean);
    ASSERT_NE(base, nullptr);
    TemplateReader reader(base);
    EXPECT_EQ(reader.Read<std::uint16_t>(), 1);       // version
    EXPECT_EQ(reader.Read<std::uint16_t>(), 0xFFFF);  // extended template
    EXPECT_EQ(reader.Read<std::uint32_t>(), 0u);      // help context
    EXPECT_EQ(reader.Read<std::uint32_t>(), 0x00040000u);
    EXPECT_EQ(reader.Read<std::uint32_t>(), 0x90C800C8u);
    const auto count = reader.Read<std::uint16_t>();
    EXPECT_EQ(reader.Read<std::int16_t>(), 0);
    EXPECT_EQ(reader.Read<std::int16_t>(), 0);
    EXPECT_EQ(reader.Read<std::int16_t>(), 251);
    EXPECT_EQ(reader.Read<std::int16_t>(), 81);
    EXPECT_EQ(reader.ReadNameOrOrdinal(), u"");  // menu
    EXPECT_EQ(reader.ReadNameOrOrdinal(), u"");  // window class
    EXPECT_EQ(reader.ReadNameOrOrdinal(), u"Wendrel");
    EXPECT_EQ(reader.Read<std::uint16_t>(), 9);
    EXPECT_EQ(reader.Read<std::uint16_t>(), 0);  // weight
    EXPECT_EQ(reader.Read<std::uint8_t>(), 0);   // italic
    EXPECT_EQ(reader.Read<std::uint8_t>(), 1);   // character set
    EXPECT_EQ(reader.ReadNameOrOrdinal(), u"MS Shell Dlg");

    std::vector<Control> controls;
    for (int i = 0; i < count; ++i) {
        reader.AlignToDword(base);
        EXPECT_EQ(reader.Read<std::uint32_t>(), 0u);  // help context
        Control control{};
        control.exStyle = reader.Read<std::uint32_t>();
        control.style = reader.Read<std::uint32_t>();
        control.x = reader.Read<std::int16_t>();
        control.y = reader.Read<std::int16_t>();
        control.width = reader.Read<std::int16_t>();
        control.height = reader.Read<std::int16_t>();
        control.id = reader.Read<std::int32_t>();
        control.windowClass = reader.ReadNameOrOrdinal();
        // Resource compilers differ in the case of class names; Windows ignores it.
        for (char16_t& c : control.windowClass) {
            c = c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c;
        }
        control.caption = reader.ReadNameOrOrdinal();
        reader.Read<std::uint16_t>();  // creation data
        controls.push_back(control);
    }

    const std::vector<Control> expected = {
        {IDOK, u"#128", u"\xC2E4\xD589", 0x50010001, 0, 142, 63, 50, 14},      // 실행
        {IDCANCEL, u"#128", u"\xC885\xB8CC", 0x50010000, 0, 195, 63, 50, 14},  // 종료
        {IDC_STATUS, u"#130", u"", 0x50020000, 0x200, 5, 45, 240, 13},
        {IDC_DATE, u"SYSDATETIMEPICK32", u"", 0x50010020, 0, 45, 5, 62, 13},
        {IDC_FOLDER, u"#129", u"", 0x50810880, 0, 45, 23, 180, 14},
        {IDC_BROWSE, u"#128", u"...", 0x50010000, 0, 227, 23, 19, 14},
        {IDC_STATIC, u"#130", u"\xC800\xC7A5\xC704\xCE58 :", 0x50020000, 0, 5, 26, 33,
         8},  // 저장위치 :
        {IDC_STATIC, u"#130", u"\xC800\xC7A5\xB0A0\xC9DC :", 0x50020000, 0, 5, 7, 33,
         8},  // 저장날짜 :
        {IDC_STATIC, u"#130", u"~ \xCD5C\xADFC\xAE4C\xC9C0", 0x50020000, 0, 112, 8, 36,
         8},  // ~ 최근까지
        {IDC_PROGRESS, u"MSCTLS_PROGRESS32", u"", 0x50000000, 0, 5, 63, 132, 14},
    };
    EXPECT_EQ(controls, expected);
}

TEST(ResourcesTest, IconGroupHolds48And32And16PixelImagesOf24Bits) {
    const std::uint8_t* group = Resource(RT_GROUP_ICON, MAKEINTRESOURCEA(IDR_MAINFRAME), kKorean);
    ASSERT_NE(group, nullptr);
    TemplateReader reader(group);
    reader.Read<std::uint16_t>();
    EXPECT_EQ(reader.Read<std::uint16_t>(), 1);  // icons
    const auto count = reader.Read<std::uint16_t>();
    std::vector<std::pair<int, int>> images;
    for (int i = 0; i < count; ++i) {
        const int width = reader.Read<std::uint8_t>();
        reader.Read<std::uint8_t>();  // height
        reader.Read<std::uint16_t>();
        reader.Read<std::uint16_t>();  // planes
        const int bits = reader.Read<std::uint16_t>();
        reader.Read<std::uint32_t>();
        reader.Read<std::uint16_t>();
        images.emplace_back(width, bits);
    }
    EXPECT_EQ(images, (std::vector<std::pair<int, int>>{{48, 24}, {32, 24}, {16, 24}}));
}

std::string VersionString(const std::vector<char>& record, const std::string& name) {
    char* value = nullptr;
    UINT length = 0;
    const std::string key = R"(\StringFileInfo\041203b5\)" + name;
    if (!::VerQueryValueA(record.data(), key.c_str(), reinterpret_cast<void**>(&value), &length)) {
        return "<missing>";
    }
    return value;
}

TEST(ResourcesTest, VersionRecordIs1001WithAKoreanStringBlock) {
    char path[MAX_PATH] = "";
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::vector<char> record(::GetFileVersionInfoSizeA(path, nullptr));
    ASSERT_FALSE(record.empty());
    ASSERT_TRUE(::GetFileVersionInfoA(path, 0, static_cast<DWORD>(record.size()), record.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueA(record.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000001u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000001u);
    EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS__WINDOWS32));
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

    EXPECT_EQ(VersionString(record, "FileVersion"), "1.0.0.1");
    EXPECT_EQ(VersionString(record, "ProductVersion"), "1.0.0.1");
    EXPECT_EQ(VersionString(record, "InternalName"), "Wendrel.exe");
    EXPECT_EQ(VersionString(record, "OriginalFilename"), "Wendrel.exe");
}

// The common controls of version 6 draw the progress bar's marquee.
TEST(ResourcesTest, ManifestRunsAsTheInvokerWithTheCommonControlsOfVersion6) {
    DWORD size = 0;
    const std::uint8_t* manifest =
        Resource(RT_MANIFEST, CREATEPROCESS_MANIFEST_RESOURCE_ID, kKorean, &size);
    ASSERT_NE(manifest, nullptr);
    const std::string text(reinterpret_cast<const char*>(manifest), size);
    EXPECT_NE(text.find("level=\"asInvoker\" uiAccess=\"false\""), std::string::npos);
    EXPECT_NE(text.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""),
              std::string::npos);
}

}  // namespace
