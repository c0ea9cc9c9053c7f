// The control panel's preview: a child of a window of another program, deaf
// to input. Wine does not show what a child window draws when its parent
// belongs to another process, so the preview's picture is checked in-process
// by the Wine unit tests.
#include "e2e/driver.h"
#include "testkit.h"

namespace {

// A window like the Display control panel's preview box, with a client area of 152 × 112.
HWND PreviewBox()
{
    WNDCLASSA boxClass = {};
    boxClass.lpfnWndProc = DefWindowProcA;
    boxClass.hInstance = GetModuleHandleA(nullptr);
    boxClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    boxClass.lpszClassName = "GlimmoraPreviewBox";
    RegisterClassA(&boxClass);
    RECT frame = {0, 0, 152, 112};
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE | WS_CLIPCHILDREN;
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    HWND box = CreateWindowExA(WS_EX_TOPMOST, "GlimmoraPreviewBox", "Preview box", style, 200, 150,
                               frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    SetForegroundWindow(box);
    e2e::PumpMessagesFor(200);
    return box;
}

RECT ClientOnScreen(HWND window)
{
    RECT client;
    GetClientRect(window, &client);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    return client;
}

}  // namespace

TEST_CASE(preview_fills_its_parent_ignores_input_and_ends_on_close)
{
    const std::string saver = e2e::WorkFolder() + "preview.scr";
    REQUIRE(e2e::MakeSaver(saver, "--background #203040 --set EnabledModes=2"));
    HWND box = PreviewBox();
    REQUIRE(box != nullptr);
    e2e::Process process = e2e::StartSaver(saver, "/p " + std::to_string(reinterpret_cast<uintptr_t>(box)));

    struct Find { HWND Box; HWND Child; } find = {box, nullptr};
    CHECK(e2e::WaitFor(
        [](void* f) {
            auto* search = static_cast<Find*>(f);
            search->Child = FindWindowExA(search->Box, nullptr, "WindowsScreenSaverClass", "Preview");
            // Found while it is still being created, it is not shown yet.
            return search->Child != nullptr && IsWindowVisible(search->Child);
        },
        &find));
    REQUIRE(find.Child != nullptr);
    RECT child;
    GetClientRect(find.Child, &child);
    CHECK_EQ(child.right, 152L);
    CHECK_EQ(child.bottom, 112L);

    CHECK(IsWindowVisible(find.Child));
    CHECK_EQ(GetWindowLongA(find.Child, GWL_STYLE) & (WS_CHILD | WS_VISIBLE), static_cast<LONG>(WS_CHILD | WS_VISIBLE));
    const RECT area = ClientOnScreen(box);
    RECT placed;
    GetWindowRect(find.Child, &placed);
    CHECK(EqualRect(&placed, &area));

    // Nothing a user does to the preview closes it.
    e2e::ClickMouse(area.left + 20, area.top + 20);
    e2e::PressKey('K');
    e2e::MoveMouseTo(area.left + 100, area.top + 90);
    DWORD exitCode = STILL_ACTIVE;
    CHECK(!e2e::WaitForExit(process, &exitCode, 1500));

    PostMessageA(find.Child, WM_CLOSE, 0, 0);
    CHECK(e2e::WaitForExit(process, &exitCode));
    CHECK_EQ(exitCode, 0ul);
    e2e::EndProcess(&process);
    DestroyWindow(box);
}

TEST_MAIN()
