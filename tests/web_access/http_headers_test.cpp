#include "web/http_headers.h"

#include <gtest/gtest.h>

#include <limits>

namespace tavolin {
namespace {

TEST(DefaultHeaderBlock, HasTheFiveHeadersWithTheUrlAsReferer) {
    EXPECT_EQ(defaultHeaderBlock("http://h:8080/p?q=1"),
              "Referer: http://h:8080/p?q=1\r\n"
              "Accept: */*\r\n"
              "Accept-Language: zh-cn\r\n"
              "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; Trident/5.0)\r\n"
              "Content-Type: application/x-www-form-urlencoded");
}

TEST(SplitHeaderLines, NameBeforeTheFirstColonValueUnchanged) {
    struct Case {
        const char* name;
        Text headers;
        std::vector<std::pair<Text, Text>> expected;
    };
    const Case cases[] = {
        {"one line without CR LF", "X-A: 1", {{"X-A", " 1"}}},
        {"empty piece and piece without colon skipped",
         "A: 1\r\n\r\nB: 2\r\nC",
         {{"A", " 1"}, {"B", " 2"}}},
        {"empty value", "X-Empty:", {{"X-Empty", ""}}},
        {"further colons stay in the value", "X-T: a:", {{"X-T", " a:"}}},
        {"bare LF separates nothing", "A: 1\nB: 2", {{"A", " 1\nB: 2"}}},
        {"trailing CR LF", "A: 1\r\n", {{"A", " 1"}}},
        {"empty name kept for the request object to refuse", ": v", {{"", " v"}}},
        {"nothing", "", {}},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        std::vector<std::pair<Text, Text>> got;
        for (const HeaderLine& line : splitHeaderLines(row.headers)) {
            got.emplace_back(line.name, line.value);
        }
        EXPECT_EQ(got, row.expected);
    }
}

TEST(ReadResponseHeaders, MatchesLinesByHeaderName) {
    struct Case {
        const char* name;
        Text headers;
        Text redirectAddress;
        Text receivedCookies;
    };
    const Case cases[] = {
        {"two cookies in order", "Set-Cookie: A=1; path=/\r\nSet-Cookie: B=2; path=/\r\n", "",
         "A=1; B=2; "},
        {"cookie without attributes kept whole", "Set-Cookie: B=2\r\n", "", "B=2; "},
        {"name in any letter case", "set-cookie: C=3;x\r\nLOCATION: /y\r\n", "/y", "C=3; "},
        {"lower-case location", "location: /x\r\n", "/x", ""},
        {"Content-Location is no Location", "Content-Location: /x\r\n", "", ""},
        {"header whose name only contains Set-Cookie", "X-Set-Cookie-Note: A=1;\r\n", "", ""},
        {"value mentioning Location", "X-Note: Location: /z\r\n", "", ""},
        {"Location value trimmed", "Location:   http://h/a?b=1:2  \r\n", "http://h/a?b=1:2", ""},
        {"later Location wins", "Location: /a\r\nLocation: /b\r\n", "/b", ""},
        {"empty pair adds nothing", "Set-Cookie: ; path=/\r\nSet-Cookie:\r\n", "", ""},
        {"no headers", "", "", ""},
        {"status line and blank lines ignored", "HTTP/1.1 302 Found\r\n\r\nLocation: /c\r\n\r\n",
         "/c", ""},
        // A1 A1 is the GBK full-width blank.
        {"full-width blanks trimmed", "Set-Cookie: \xA1\xA1N=\xB0\xE0\xA1\xA1; path=/\r\n", "",
         "N=\xB0\xE0; "},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        const ResponseHeaderFacts facts = readResponseHeaders(row.headers);
        EXPECT_EQ(facts.redirectAddress, row.redirectAddress);
        EXPECT_EQ(facts.receivedCookies, row.receivedCookies);
    }
}

TEST(RequestTimeoutMilliseconds, FollowsTheTimeoutRule) {
    constexpr int largest = std::numeric_limits<int>::max();
    const std::pair<int, std::optional<int>> cases[] = {
        {-1, std::nullopt},
        {0, 15000},
        {-5, 15000},
        {1, 1000},
        {20, 20000},
        {largest / 1000, (largest / 1000) * 1000},
        {largest / 1000 + 1, largest},
        {largest, largest},
        {std::numeric_limits<int>::min(), 15000},
    };
    for (const auto& [seconds, expected] : cases) {
        SCOPED_TRACE(seconds);
        EXPECT_EQ(requestTimeoutMilliseconds(seconds), expected);
    }
}

}  // namespace
}  // namespace tavolin
