#include <windows.h>

#include "build_config.h"
#include "sync/fetch.h"
#include "sync/sync_clock.h"
#include "ui/win_text.h"
#include "values/local_clock.h"

static_assert(kNoticeInformation == (MB_OK | MB_ICONINFORMATION | MB_TASKMODAL));
static_assert(kNoticeWarning == (MB_OK | MB_ICONWARNING | MB_TASKMODAL));

void onSyncButtonClicked() {
    const SyncEffects effects{.fetchTimePage = fetchTimePage, .setLocalClock = setLocalClock};
    const Notice notice = noticeFor(syncClock(effects, makeDateTime(kBuildYear, kBuildMonth, kBuildDay)));
    // No owner: the box is task-modal, which disables the thread's windows
    // while it runs its own message loop (so the clock label keeps ticking).
    MessageBoxW(nullptr, wideFromGbk(notice.text).c_str(), wideFromGbk(notice.title).c_str(), notice.style);
}
