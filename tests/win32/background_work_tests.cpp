// The worker that writes pictures: jobs in order on another thread, waitIdle until they are
// all done, and each job's `done` back on this thread through its message loop; and the
// mailbox that carries such tasks, delivered by the modal loop of a message box too.
#include "platform/win32/thread_mailbox.h"
#include "platform/win32/win32_background_work.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <functional>
#include <stdexcept>
#include <thread>
#include <vector>

namespace pictorn::platform::win32 {
namespace {

TEST(BackgroundWork, JobsRunInOrderElsewhereAndDoneComesBackThroughTheMessageLoop) {
    Win32BackgroundWork work;
    const DWORD uiThread = GetCurrentThreadId();
    std::vector<int> order; // written by the worker only until waitIdle returns
    std::atomic<bool> offThread{true};
    std::vector<DWORD> doneThreads;
    for (int i = 0; i < 5; ++i)
        work.start(
            [&, i] {
                Sleep(i == 0 ? 50 : 0);
                offThread = offThread && GetCurrentThreadId() != uiThread;
                order.push_back(i);
                if (i == 2)
                    throw std::runtime_error("a job that throws ends alone");
            },
            [&] { doneThreads.push_back(GetCurrentThreadId()); });
    work.waitIdle();
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_TRUE(offThread);
    EXPECT_TRUE(doneThreads.empty()) << "done ran before the message loop did";

    const ULONGLONG deadline = GetTickCount64() + 5000;
    MSG msg;
    while (doneThreads.size() < 5 && GetTickCount64() < deadline) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
    }
    ASSERT_EQ(doneThreads.size(), 5u);
    for (DWORD thread : doneThreads)
        EXPECT_EQ(thread, uiThread);
}

TEST(BackgroundWork, EndingWaitsForTheJobsAndDropsTheirResults) {
    std::atomic<int> ran{0};
    bool doneRan = false;
    {
        Win32BackgroundWork work;
        for (int i = 0; i < 3; ++i)
            work.start(
                [&] {
                    Sleep(20);
                    ++ran;
                },
                [&] { doneRan = true; });
    }
    EXPECT_EQ(ran, 3);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&msg);
    EXPECT_FALSE(doneRan);
}

TEST(ThreadMailbox, TasksFromAnotherThreadRunInOrderInsideAMessageBoxLoop) {
    ThreadMailbox mailbox;
    const DWORD uiThread = GetCurrentThreadId();
    std::vector<int> ran;
    bool onThisThread = true;
    std::function<void()> closeBox = [&] {
        // Runs inside the box's own loop; until the box is up it comes again.
        if (HWND box = FindWindowW(L"#32770", L"Mailbox test"))
            PostMessageW(box, WM_COMMAND, IDOK, 0);
        else
            mailbox.post(closeBox);
    };
    std::thread poster([&] {
        for (int i = 0; i < 3; ++i)
            mailbox.post([&, i] {
                ran.push_back(i);
                onThisThread = onThisThread && GetCurrentThreadId() == uiThread;
            });
        mailbox.post(closeBox);
    });
    poster.join();
    MessageBoxW(nullptr, L"Waiting for the mailbox", L"Mailbox test", MB_OK);
    EXPECT_EQ(ran, (std::vector<int>{0, 1, 2}));
    EXPECT_TRUE(onThisThread);
}

} // namespace
} // namespace pictorn::platform::win32
