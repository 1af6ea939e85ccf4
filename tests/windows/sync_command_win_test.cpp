// The sync button's handler with its real effects (WinINet, SetLocalTime, a
// message box) against the loopback time server. Wine runs on the Beijing
// clock here (TZ=Asia/Shanghai) and, like an unprivileged Windows, refuses to
// move the clock by more than half a second, never touching the host's clock.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "support/test_env.h"
#include "sync/fetch.h"
#include "sync/sync_clock.h"
#include "ui/win_text.h"

namespace {

// Closes the first message box titled "Tovren提示你" that appears within ten
// seconds and keeps its text.
class BoxCloser {
public:
    BoxCloser()
        : thread_([this] {
              const std::wstring title = wideFromGbk(noticeFor(SyncOutcome::Synced).title);
              const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
              while (std::chrono::steady_clock::now() < deadline) {
                  if (HWND box = FindWindowW(L"#32770", title.c_str())) {
                      wchar_t text[256] = {};
                      GetWindowTextW(GetDlgItem(box, 0xFFFF), text, 256);
                      text_ = text;
                      found_ = true;
                      PostMessageW(box, WM_COMMAND, IDOK, 0);
                      return;
                  }
                  Sleep(20);
              }
          }) {}
    // Waits for the closer and returns the box's text (empty when none came).
    std::wstring text() {
        if (thread_.joinable()) thread_.join();
        return found_ ? text_ : std::wstring();
    }

private:
    std::wstring text_;
    std::atomic<bool> found_{false};
    std::jthread thread_;
};

std::wstring clickWith(const std::string& mode) {
    const std::string control = timeServerAddress("/__mode/" + mode);
    EXPECT_EQ(fetchPage(control.c_str()), "ok");
    BoxCloser closer;
    onSyncButtonClicked();  // returns once the box has been closed
    return closer.text();
}

class SyncCommand : public testing::Test {
protected:
    void SetUp() override {
        if (timeServerAddress("").empty()) GTEST_SKIP() << "TIME_SERVER_PORT is not set; scripts/test starts the server";
    }
    void TearDown() override { fetchPage(timeServerAddress("/__reset").c_str()); }
};

TEST_F(SyncCommand, ACurrentPageSetsTheClockAndConfirms) {
    EXPECT_EQ(clickWith("now"), wideFromGbk(noticeFor(SyncOutcome::Synced).text));
}

TEST_F(SyncCommand, AnEmptyAnswerLeavesTheClockAndSaysSo) {
    EXPECT_EQ(clickWith("empty"), wideFromGbk(noticeFor(SyncOutcome::NoTime).text));
}

TEST_F(SyncCommand, AnOldPageIsNotTrusted) {
    EXPECT_EQ(clickWith("fixed:1381810196000"), wideFromGbk(noticeFor(SyncOutcome::Untrusted).text));
}

// A day ahead is more than Wine lets a program move the clock: the refusal
// must be reported, not confirmed.
TEST_F(SyncCommand, ARefusedClockIsReported) {
    EXPECT_EQ(clickWith("offset:86400"), wideFromGbk(noticeFor(SyncOutcome::NotPermitted).text));
}

}  // namespace
