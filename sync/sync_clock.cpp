#include "sync_clock.h"

#include <array>
#include <string_view>

#include "sync/time_page.h"

namespace {

// The unit characters of the text form, in code page 936, in the order the
// fields are cut: each field lies between the previous unit and its own.
constexpr std::string_view kYear = "\xC4\xEA";    // 年
constexpr std::string_view kMonth = "\xD4\xC2";   // 月
constexpr std::string_view kDay = "\xC8\xD5";     // 日
constexpr std::string_view kHour = "\xCA\xB1";    // 时
constexpr std::string_view kMinute = "\xB7\xD6";  // 分
constexpr std::string_view kSecond = "\xC3\xEB";  // 秒

struct Cut {
    std::string_view left;
    std::string_view right;
};
constexpr std::array<Cut, 6> kCuts{{
    {"", kYear}, {kYear, kMonth}, {kMonth, kDay}, {kDay, kHour}, {kHour, kMinute}, {kMinute, kSecond},
}};

constexpr char kNoticeTitle[] = "Tovren\xCC\xE1\xCA\xBE\xC4\xE3";  // Tovren提示你

// 已同步！！ \r\n如果好用请介绍给你的朋友！
constexpr char kSyncedText[] =
    "\xD2\xD1\xCD\xAC\xB2\xBD\xA3\xA1\xA3\xA1 \r\n"
    "\xC8\xE7\xB9\xFB\xBA\xC3\xD3\xC3\xC7\xEB\xBD\xE9\xC9\xDC\xB8\xF8\xC4\xE3\xB5\xC4\xC5\xF3\xD3\xD1\xA3\xA1";
// 同步失败：未能从网络取得北京时间，本机时间未改动。
constexpr char kNoTimeText[] =
    "\xCD\xAC\xB2\xBD\xCA\xA7\xB0\xDC\xA3\xBA\xCE\xB4\xC4\xDC\xB4\xD3\xCD\xF8\xC2\xE7\xC8\xA1\xB5\xC3"
    "\xB1\xB1\xBE\xA9\xCA\xB1\xBC\xE4\xA3\xAC\xB1\xBE\xBB\xFA\xCA\xB1\xBC\xE4\xCE\xB4\xB8\xC4\xB6\xAF\xA1\xA3";
// 同步失败：网络返回的时间不可信，本机时间未改动。
constexpr char kUntrustedText[] =
    "\xCD\xAC\xB2\xBD\xCA\xA7\xB0\xDC\xA3\xBA\xCD\xF8\xC2\xE7\xB7\xB5\xBB\xD8\xB5\xC4\xCA\xB1\xBC\xE4"
    "\xB2\xBB\xBF\xC9\xD0\xC5\xA3\xAC\xB1\xBE\xBB\xFA\xCA\xB1\xBC\xE4\xCE\xB4\xB8\xC4\xB6\xAF\xA1\xA3";
// 同步失败：没有修改本机时间的权限，请以管理员身份运行本程序。
constexpr char kNotPermittedText[] =
    "\xCD\xAC\xB2\xBD\xCA\xA7\xB0\xDC\xA3\xBA\xC3\xBB\xD3\xD0\xD0\xDE\xB8\xC4\xB1\xBE\xBB\xFA\xCA\xB1"
    "\xBC\xE4\xB5\xC4\xC8\xA8\xCF\xDE\xA3\xAC\xC7\xEB\xD2\xD4\xB9\xDC\xC0\xED\xD4\xB1\xC9\xED\xB7\xDD"
    "\xD4\xCB\xD0\xD0\xB1\xBE\xB3\xCC\xD0\xF2\xA1\xA3";

}  // namespace

std::optional<DateTime> fetchBeijingTime(const std::function<ByteData()>& fetchTimePage) {
    return beijingTimeFromPage(fetchTimePage());
}

SyncOutcome syncClock(const SyncEffects& effects, DateTime notBefore) {
    const std::optional<DateTime> beijing = fetchBeijingTime(effects.fetchTimePage);
    if (!beijing) return SyncOutcome::NoTime;
    // Plain http can be answered by anyone on the way; a page cannot be
    // older than the program that reads it, so such a time is not used.
    if (*beijing < notBefore) return SyncOutcome::Untrusted;

    // The clock is set from the text form that the label shows, cut back
    // into its six numbers; trailing zero fields are left out of the text,
    // their cuts come out empty and read as 0.
    const std::string text = dateTimeToText(*beijing);
    std::array<std::int32_t, 6> n{};
    for (std::size_t i = 0; i < kCuts.size(); ++i) n[i] = toInteger(textBetween(text, kCuts[i].left, kCuts[i].right));
    const DateTime instant = makeDateTime(n[0], n[1], n[2], n[3], n[4], n[5]);

    return effects.setLocalClock(instant) ? SyncOutcome::Synced : SyncOutcome::NotPermitted;
}

Notice noticeFor(SyncOutcome outcome) {
    switch (outcome) {
        case SyncOutcome::Synced: return {kSyncedText, kNoticeTitle, kNoticeInformation};
        case SyncOutcome::NoTime: return {kNoTimeText, kNoticeTitle, kNoticeWarning};
        case SyncOutcome::Untrusted: return {kUntrustedText, kNoticeTitle, kNoticeWarning};
        case SyncOutcome::NotPermitted: return {kNotPermittedText, kNoticeTitle, kNoticeWarning};
    }
    return {kNoTimeText, kNoticeTitle, kNoticeWarning};
}
