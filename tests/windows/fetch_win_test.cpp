// The WinINet fetch against the loopback time server (tests/e2e/time_server.py),
// which scripts/test starts and names in TIME_SERVER_PORT.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstddef>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "support/test_env.h"
#include "build_config.h"
#include "sync/fetch.h"

namespace {

// The server's scenario pages, byte for byte.
constexpr std::string_view kNotFoundPage =
    "<!DOCTYPE html>\n<html><head><title>404 Not Found</title></head>\n"
    "<body><h1>Not Found</h1><p>The page does not exist.</p></body></html>\n";
constexpr std::string_view kRedirectTargetPage = "<html><body>redirect target reached</body></html>\n";

// The server's generated bodies: byte i is i mod 251, so a lost, repeated or
// reordered chunk changes the bytes and not only the length.
std::string patternBody(std::size_t size) {
    std::string body(size, '\0');
    for (std::size_t i = 0; i < size; ++i) body[i] = static_cast<char>(i % 251);
    return body;
}

ByteData fetchFromServer(std::string_view path) { return fetchPage(timeServerAddress(path).c_str()); }

// The request heads in the server's record: each one is ended by its blank
// line, as on the wire.
std::vector<std::string> splitHeads(std::string_view record) {
    std::vector<std::string> heads;
    for (std::size_t end; (end = record.find("\r\n\r\n")) != std::string_view::npos; record.remove_prefix(end + 4)) {
        heads.emplace_back(record.substr(0, end + 2));
    }
    return heads;
}

// One request head taken apart.
struct RequestHead {
    std::string requestLine;
    std::vector<std::pair<std::string, std::string>> headers;

    // The values of every header called `name`, in order; names compare
    // without regard to case, as HTTP has it.
    std::vector<std::string> values(std::string_view name) const {
        std::vector<std::string> found;
        for (const auto& [key, value] : headers) {
            if (key.size() == name.size() && CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, key.data(),
                                                            static_cast<int>(key.size()), name.data(),
                                                            static_cast<int>(name.size())) == CSTR_EQUAL) {
                found.push_back(value);
            }
        }
        return found;
    }
};

RequestHead parseHead(std::string_view head) {
    RequestHead parsed;
    std::size_t start = 0;
    bool first = true;
    while (start < head.size()) {
        std::size_t end = head.find("\r\n", start);
        if (end == std::string_view::npos) end = head.size();
        const std::string_view line = head.substr(start, end - start);
        start = end + 2;
        if (first) {
            parsed.requestLine = line;
            first = false;
            continue;
        }
        const std::size_t colon = line.find(':');
        std::string_view value = colon == std::string_view::npos ? std::string_view() : line.substr(colon + 1);
        while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
        parsed.headers.emplace_back(std::string(line.substr(0, colon)), std::string(value));
    }
    return parsed;
}

class FetchPage : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(timeServerAddress("").empty())
            << "TIME_SERVER_PORT is not set: run the tests through scripts/test, which starts the time server";
        ASSERT_EQ(fetchFromServer("/__reset"), "ok") << "the time server does not answer on " << timeServerAddress("/");
    }

    // The heads of the requests that reached the server since SetUp.
    static std::vector<RequestHead> requests() {
        std::vector<RequestHead> heads;
        for (const std::string& head : splitHeads(fetchFromServer("/__requests"))) heads.push_back(parseHead(head));
        return heads;
    }

    static void setMode(std::string_view mode) {
        ASSERT_EQ(fetchFromServer("/__mode/" + std::string(mode)), "ok") << "mode " << mode;
    }
};

// fetchTimePage goes to the address built in, which the win64 build points
// at the server; a mismatch means the tests run against the wrong port.
class FetchTimePage : public FetchPage {
protected:
    void SetUp() override {
        FetchPage::SetUp();
        ASSERT_EQ(std::string_view(kTimePageAddress), timeServerAddress("/special/time/"))
            << "configure the win64 build with TIME_PAGE_ADDRESS on port " << timeServerPort();
    }
};

TEST_F(FetchTimePage, SendsExactlyTheTimePageRequest) {
    setMode("fixed:1381810196000");
    fetchTimePage();
    const std::vector<RequestHead> heads = requests();
    ASSERT_EQ(heads.size(), 1u);
    const RequestHead& head = heads[0];
    EXPECT_EQ(head.requestLine, "GET /special/time/ HTTP/1.0");
    EXPECT_EQ(head.values("Host"), std::vector<std::string>{"127.0.0.1:" + timeServerPort()});
    EXPECT_EQ(head.values("User-Agent"),
              std::vector<std::string>{"Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)"});
    EXPECT_EQ(head.values("Accept"), std::vector<std::string>{"*/*"});
    EXPECT_TRUE(head.values("Cookie").empty());
    EXPECT_TRUE(head.values("Referer").empty());
    EXPECT_TRUE(head.values("Authorization").empty());
    // No content coding asked for: the body must arrive as the server's bytes.
    EXPECT_TRUE(head.values("Accept-Encoding").empty());
}

TEST_F(FetchTimePage, ReturnsThePageBody) {
    setMode("fixed:1381810196000");
    EXPECT_EQ(fetchTimePage(), "window.baidu_time(1381810196000);");
    setMode("empty");
    EXPECT_EQ(fetchTimePage(), "");
}

// Nothing is cached and no handle is left in a state that stops the next
// fetch: each call is answered by the server afresh.
TEST_F(FetchTimePage, TwoFetchesInARowBothReachTheServer) {
    setMode("fixed:1000");
    EXPECT_EQ(fetchTimePage(), "window.baidu_time(1000);");
    setMode("fixed:2000");
    EXPECT_EQ(fetchTimePage(), "window.baidu_time(2000);");
    const std::vector<RequestHead> heads = requests();
    ASSERT_EQ(heads.size(), 2u);
    for (const RequestHead& head : heads) EXPECT_EQ(head.requestLine, "GET /special/time/ HTTP/1.0");
}

TEST_F(FetchPage, TargetKeepsTheQueryAndDropsTheFragment) {
    fetchFromServer("/special/time/?a=1&b=2#section");
    const std::vector<RequestHead> heads = requests();
    ASSERT_EQ(heads.size(), 1u);
    EXPECT_EQ(heads[0].requestLine, "GET /special/time/?a=1&b=2 HTTP/1.0");
}

struct Scenario {
    const char* name;
    const char* path;
    std::string expected;
};

void PrintTo(const Scenario& scenario, std::ostream* out) { *out << scenario.path; }

class FetchScenario : public FetchPage, public ::testing::WithParamInterface<Scenario> {};

TEST_P(FetchScenario, ReturnsTheBodyThatArrived) {
    const ByteData body = fetchFromServer(GetParam().path);
    ASSERT_EQ(body.size(), GetParam().expected.size());
    EXPECT_TRUE(body == GetParam().expected) << "same length, different bytes";
}

INSTANTIATE_TEST_SUITE_P(
    Answers, FetchScenario,
    ::testing::Values(
        // The status is never looked at: an error page's body comes back like any other.
        Scenario{"NotFoundGivesItsHtml", "/fetch/not-found", std::string(kNotFoundPage)},
        Scenario{"ContentLengthZeroGivesEmpty", "/fetch/empty", ""},
        Scenario{"NoContentLengthGivesAllBytes", "/fetch/no-length", patternBody(25000)},
        Scenario{"LargeContentLengthGivesAllBytes", "/fetch/large", patternBody(200000)},
        Scenario{"ContentLengthWithoutDigitsGivesWholeBody", "/fetch/bad-length", patternBody(5000)},
        // The caller cannot tell a cut-short body from a whole one; it gets what came.
        Scenario{"DroppedConnectionGivesBytesSoFar", "/fetch/dropped", patternBody(3000)},
        Scenario{"RedirectGivesTheFinalPage", "/fetch/redirect", std::string(kRedirectTargetPage)},
        // A server that never stops sending cannot exhaust memory.
        Scenario{"EndlessBodyStopsAtTheBound", "/fetch/endless", patternBody(kMaxBodyBytes)}),
    [](const ::testing::TestParamInfo<Scenario>& scenario) { return std::string(scenario.param.name); });

TEST_F(FetchPage, RefusedConnectionGivesEmpty) {
    const ByteData port = fetchFromServer("/fetch/closed-port");
    ASSERT_FALSE(port.empty());
    EXPECT_EQ(fetchPage(("http://127.0.0.1:" + port + "/special/time/").c_str()), "");
}

// A label over 63 characters cannot be put into a DNS query, so the resolver
// fails without sending one: the name does not resolve, and no packet leaves
// the machine.
TEST_F(FetchPage, UnresolvableNameGivesEmpty) {
    const std::string host = std::string(64, 'a') + ".invalid";
    EXPECT_EQ(fetchPage(("http://" + host + "/special/time/").c_str()), "");
}

// This client speaks plain HTTP only. An https address must not be sent as
// clear text to the port it names (here the test server, which would answer).
TEST_F(FetchPage, AddressesThatAreNotHttpGiveEmptyAndSendNothing) {
    const std::string addresses[] = {
        "",
        "no address at all",
        "https://127.0.0.1:" + timeServerPort() + "/special/time/",
        "ftp://127.0.0.1:" + timeServerPort() + "/special/time/",
        "http:///special/time/",
    };
    for (const std::string& address : addresses) EXPECT_EQ(fetchPage(address.c_str()), "") << address;
    EXPECT_TRUE(requests().empty());
}

}  // namespace
