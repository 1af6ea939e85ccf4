// The clock synchronisation command: fetch the time page, read Beijing time,
// set the local clock to that second and tell the user how it went.
//
// The logic is portable; its effects (fetching, setting the clock, showing a
// box) are passed in, so that it is tested without a network or a clock.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "values/date_time.h"
#include "values/text.h"

struct SyncEffects {
    std::function<ByteData()> fetchTimePage;
    std::function<bool(DateTime)> setLocalClock;
};

enum class SyncOutcome {
    Synced,        // the clock was set
    NoTime,        // nothing fetched, or the page carried no readable time
    Untrusted,     // the page time is older than this program's build
    NotPermitted,  // the system refused the new time
};

// A message box: code page 936 texts and a MessageBox style.
struct Notice {
    std::string text;
    std::string title;
    unsigned style = 0;
};

// MessageBox styles, spelled out so that portable code can name them.
inline constexpr unsigned kNoticeInformation = 0x2040;  // MB_OK | MB_ICONINFORMATION | MB_TASKMODAL
inline constexpr unsigned kNoticeWarning = 0x2030;      // MB_OK | MB_ICONWARNING | MB_TASKMODAL

// Beijing time from the time page, or nullopt when the fetch gave nothing
// readable.
std::optional<DateTime> fetchBeijingTime(const std::function<ByteData()>& fetchTimePage);

// Runs one synchronisation. The page time goes through its Chinese text form
// and back (six cuts by the unit characters, then makeDateTime), so the clock
// is set to exactly the second that is shown. The clock is left alone when
// there is no readable time or the time is earlier than `notBefore`.
SyncOutcome syncClock(const SyncEffects& effects, DateTime notBefore);

// What to tell the user after a synchronisation ended in `outcome`.
Notice noticeFor(SyncOutcome outcome);

// The click handler of the sync button, with the real effects: WinINet, the
// Windows clock and a task-modal message box. Returns when the box is closed.
void onSyncButtonClicked();
