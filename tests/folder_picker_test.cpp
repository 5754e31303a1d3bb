#include "shell/folder_picker.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <string>
#include <vector>

namespace {

// Stands in for the picker's window and notes the selections it is asked for.
class RecordingWindow {
  public:
    RecordingWindow() {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = Procedure;
        windowClass.lpszClassName = "WendrelRecordingWindow";
        ::RegisterClassA(&windowClass);
        m_window = ::CreateWindowA(windowClass.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                   nullptr, nullptr, nullptr);
        selections = &m_selections;
    }
    ~RecordingWindow() { ::DestroyWindow(m_window); }

    HWND Window() const { return m_window; }
    const std::vector<std::pair<WPARAM, std::string>>& Selections() const { return m_selections; }

  private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == BFFM_SETSELECTIONA) {
            selections->emplace_back(wParam, reinterpret_cast<const char*>(lParam));
            return 0;
        }
        return ::DefWindowProcA(window, message, wParam, lParam);
    }

    static inline std::vector<std::pair<WPARAM, std::string>>* selections = nullptr;
    HWND m_window;
    std::vector<std::pair<WPARAM, std::string>> m_selections;
};

// The field's text, unchanged (trailing backslash and all), is the path the
// picker is asked to select, once, when it is ready.
TEST(FolderPickerTest, CallbackSelectsTheFieldsTextOnceThePickerIsReady) {
    RecordingWindow picker;
    const std::string field = "Z:\\work\\\xC7\xD1\xB1\xDB\\";  // 한글
    const auto data = reinterpret_cast<LPARAM>(field.c_str());

    EXPECT_EQ(BrowseCallbackProc(picker.Window(), BFFM_SELCHANGED, 0, data), 0);
    EXPECT_TRUE(picker.Selections().empty());
    EXPECT_EQ(BrowseCallbackProc(picker.Window(), BFFM_INITIALIZED, 0, data), 0);

    EXPECT_EQ(picker.Selections(), (std::vector<std::pair<WPARAM, std::string>>{{TRUE, field}}));
}

}  // namespace
