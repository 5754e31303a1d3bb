#include "win/paint_messages.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

int paints = 0;

LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        ++paints;
        PAINTSTRUCT paint;
        ::BeginPaint(window, &paint);
        ::EndPaint(window, &paint);
        return 0;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

TEST(PaintMessagesTest, PaintsAndLeavesInputQueued) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = CountingProc;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "WendrelPaintTest";
    ASSERT_NE(::RegisterClassA(&windowClass), 0);
    const HWND window = ::CreateWindowA("WendrelPaintTest", "", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                                        nullptr, nullptr, windowClass.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::DispatchMessageA(&message);
    }
    paints = 0;
    ::PostMessageA(window, WM_KEYDOWN, VK_RETURN, 0);
    ::InvalidateRect(window, nullptr, TRUE);

    DispatchPaintMessages();

    EXPECT_EQ(paints, 1);
    ASSERT_TRUE(::PeekMessageA(&message, window, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_KEYDOWN));
    ::DestroyWindow(window);
}

}  // namespace
