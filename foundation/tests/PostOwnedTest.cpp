#include "foundation/PostOwned.h"

#include <gtest/gtest.h>

#include <iterator>
#include <memory>

namespace
{
constexpr UINT WM_CARRIES_TRACKED = WM_APP + 1;

// A payload that says when it is freed.
class Tracked
{
public:
    explicit Tracked(bool& freed) : m_freed(freed) {}
    Tracked(const Tracked&) = delete;
    Tracked& operator=(const Tracked&) = delete;
    ~Tracked() { m_freed = true; }

private:
    bool& m_freed;
};

bool HasQueued(HWND window, UINT message)
{
    MSG queued;
    return PeekMessageW(&queued, window, message, message, PM_NOREMOVE) != FALSE;
}

// A window that frees its queued payloads as it is destroyed.
LRESULT CALLBACK DrainingWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY)
        DrainPayloadMessages(window, {{WM_CARRIES_TRACKED, [](WPARAM inWParam, LPARAM inLParam) {
                                           TakeOwnedFromWParam<Tracked>(inWParam);
                                           TakeOwned<Tracked>(inLParam);
                                       }}});
    return DefWindowProcW(window, message, wParam, lParam);
}
} // namespace

TEST(PostOwned, ANullWindowIsRefusedAndItsPayloadsFreed)
{
    using Post = bool (*)(std::unique_ptr<Tracked>, std::unique_ptr<Tracked>);
    const Post posts[] = {
        [](std::unique_ptr<Tracked> first, std::unique_ptr<Tracked> second) {
            const bool posted = PostOwned(nullptr, WM_CARRIES_TRACKED, 0, std::move(first));
            return PostOwned(nullptr, WM_CARRIES_TRACKED, 0, std::move(second)) || posted;
        },
        [](std::unique_ptr<Tracked> first, std::unique_ptr<Tracked> second) {
            const bool posted = PostOwnedInWParam(nullptr, WM_CARRIES_TRACKED, std::move(first), 0);
            return PostOwnedInWParam(nullptr, WM_CARRIES_TRACKED, std::move(second), 0) || posted;
        },
        [](std::unique_ptr<Tracked> first, std::unique_ptr<Tracked> second) {
            return PostOwnedBoth(nullptr, WM_CARRIES_TRACKED, std::move(first), std::move(second));
        },
    };
    for (size_t i = 0; i < std::size(posts); ++i)
    {
        bool firstFreed = false, secondFreed = false;
        EXPECT_FALSE(posts[i](std::make_unique<Tracked>(firstFreed), std::make_unique<Tracked>(secondFreed)))
            << "case " << i;
        EXPECT_TRUE(firstFreed) << "case " << i;
        EXPECT_TRUE(secondFreed) << "case " << i;
        // Nothing went to this thread's own queue.
        EXPECT_FALSE(HasQueued(nullptr, WM_CARRIES_TRACKED)) << "case " << i;
    }
}

TEST(PostOwned, ADestroyedWindowsQueuedPayloadsAreFreed)
{
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = DrainingWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"QuilloryDrainingWindow";
    ASSERT_NE(RegisterClassW(&windowClass), 0);
    HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  windowClass.hInstance, nullptr);
    ASSERT_NE(window, nullptr);

    bool freed[4] = {};
    ASSERT_TRUE(PostOwned(window, WM_CARRIES_TRACKED, 0, std::make_unique<Tracked>(freed[0])));
    ASSERT_TRUE(PostOwnedInWParam(window, WM_CARRIES_TRACKED, std::make_unique<Tracked>(freed[1]), 0));
    ASSERT_TRUE(PostOwnedBoth(window, WM_CARRIES_TRACKED, std::make_unique<Tracked>(freed[2]),
                              std::make_unique<Tracked>(freed[3])));
    for (bool f : freed)
        EXPECT_FALSE(f);
    ASSERT_TRUE(HasQueued(window, WM_CARRIES_TRACKED));

    DestroyWindow(window);
    for (size_t i = 0; i < std::size(freed); ++i)
        EXPECT_TRUE(freed[i]) << "payload " << i;
    EXPECT_FALSE(HasQueued(nullptr, WM_CARRIES_TRACKED));
    UnregisterClassW(windowClass.lpszClassName, windowClass.hInstance);
}
