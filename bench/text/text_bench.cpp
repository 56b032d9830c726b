// Throughput of the character-stepping searches next to glibc memmem over the same bytes.
//
// The page is shaped like a class timetable page: markup, CR LF, tabs and Chinese text in GBK.
// Every benchmark reports bytes per second and, over 64 KiB to 4 MiB, its complexity against the
// page size. The near-match pages hold the marker with its last byte changed, or the whole marker
// right after a lead byte, where it begins on a second byte and must be passed over.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "web/text.h"

namespace {

using tavolin::Text;

// The marker a piece of the page is cut at: the opening of every period cell (40 bytes).
const Text& cellMarker() {
    static const Text marker = "<td width=\"17%\" align=\"center\" class=\"kb";
    return marker;
}

// The opening of every weekday row (40 bytes, its last two the first character of "星期").
const Text& rowMarker() {
    static const Text marker =
        tavolin::utf8ToText("<tr>\r\n\t<td width=\"10%\" align=\"center\">星");
    return marker;
}

// A 40-byte marker that occurs once, at the very end of the page.
const Text& endMarker() {
    static const Text marker = tavolin::utf8ToText("<!-- 课表结束 --></table></div></body>\r\n");
    return marker;
}

Text timetableRow(int day) {
    static const char* const days[] = {"一", "二", "三", "四", "五", "六", "日"};
    std::string row = "<tr>\r\n\t<td width=\"10%\" align=\"center\">星期";
    row += days[day % 7];
    row += "</td>\r\n";
    for (int period = 0; period < 5; ++period) {
        row += '\t';
        row += cellMarker();  // plain ASCII: the same bytes in UTF-8
        row += "\">";
        if ((day + period) % 3 == 0) {
            row += "</td>\r\n";
        } else {
            row += "高等数学（Ⅱ）<br>张　老师<br>1-16周　第";
            row += std::to_string(period * 2 + 1) + "、" + std::to_string(period * 2 + 2);
            row += "节<br>教3-20" + std::to_string(period) + "</td>\r\n";
        }
    }
    row += "</tr>\r\n";
    return tavolin::utf8ToText(row);
}

Text timetablePage(std::size_t size) {
    Text page = tavolin::utf8ToText(
        "<html>\r\n<head><meta http-equiv=\"Content-Type\" content=\"text/html; "
        "charset=gb2312\"><title>班级课表</title></head>\r\n<body>\r\n<table border=\"1\">\r\n");
    for (int day = 0; page.size() + endMarker().size() < size; ++day) page += timetableRow(day);
    page.resize(size - endMarker().size());
    return page + endMarker();
}

// The cell marker over and over with its last byte changed: memmem's hard case.
Text nearMissPage(std::size_t size) {
    Text nearMiss = cellMarker();
    nearMiss.back() = 'x';
    Text page;
    while (page.size() < size) page += nearMiss + "\xB0\xA1\r\n";
    page.resize(size - endMarker().size());
    return page + endMarker();
}

// The cell marker over and over right after a lead byte: every occurrence begins on a second
// byte and is no match.
Text insideCharacterPage(std::size_t size) {
    Text page;
    while (page.size() < size) page += "\xB0" + cellMarker() + "\r\n";
    page.resize(size - endMarker().size());
    return page + endMarker();
}

// timetableRows is the timetable page split at its rows rather than at its cells.
enum class Page { timetable, timetableRows, nearMiss, insideCharacter };

// What findText looks for: on the timetable page the marker at its end; on the near-match pages
// the cell marker, which has no match there.
const Text& soughtOn(Page kind) {
    return kind == Page::timetable || kind == Page::timetableRows ? endMarker() : cellMarker();
}

const Text& separatorOn(Page kind) {
    return kind == Page::timetableRows ? rowMarker() : cellMarker();
}

Text makePage(Page kind, std::size_t size) {
    switch (kind) {
        case Page::nearMiss:
            return nearMissPage(size);
        case Page::insideCharacter:
            return insideCharacterPage(size);
        default:
            return timetablePage(size);
    }
}

void checkMarkers() {
    if (cellMarker().size() != 40 || rowMarker().size() != 40 || endMarker().size() != 40) {
        std::abort();
    }
}

void finish(benchmark::State& state, std::size_t size) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
    state.SetComplexityN(static_cast<int64_t>(size));
}

void BM_FindText(benchmark::State& state, Page kind) {
    const Text page = makePage(kind, static_cast<std::size_t>(state.range(0)));
    const Text& sought = soughtOn(kind);
    for (auto _ : state) benchmark::DoNotOptimize(tavolin::findText(page, sought));
    finish(state, page.size());
}

void BM_MemmemFind(benchmark::State& state, Page kind) {
    const Text page = makePage(kind, static_cast<std::size_t>(state.range(0)));
    const Text& marker = soughtOn(kind);
    for (auto _ : state) {
        benchmark::DoNotOptimize(memmem(page.data(), page.size(), marker.data(), marker.size()));
    }
    finish(state, page.size());
}

void BM_SplitText(benchmark::State& state, Page kind) {
    const Text page = makePage(kind, static_cast<std::size_t>(state.range(0)));
    std::size_t pieces = 0;
    for (auto _ : state) {
        const tavolin::TextList list = tavolin::splitText(page, separatorOn(kind));
        pieces = list.size();
        benchmark::DoNotOptimize(list.data());
    }
    state.counters["pieces"] = static_cast<double>(pieces);
    finish(state, page.size());
}

// Every occurrence of the separator, as the split looks for them, without building pieces.
void BM_MemmemAll(benchmark::State& state, Page kind) {
    const Text page = makePage(kind, static_cast<std::size_t>(state.range(0)));
    const Text& marker = separatorOn(kind);
    std::size_t found = 0;
    for (auto _ : state) {
        found = 0;
        const char* from = page.data();
        const char* const end = page.data() + page.size();
        while (const void* hit = memmem(from, static_cast<std::size_t>(end - from), marker.data(),
                                        marker.size())) {
            ++found;
            from = static_cast<const char*>(hit) + 1;
        }
        benchmark::DoNotOptimize(found);
    }
    state.counters["found"] = static_cast<double>(found);
    finish(state, page.size());
}

void sizes(benchmark::internal::Benchmark* bench) {
    checkMarkers();
    bench->RangeMultiplier(4)->Range(64 << 10, 4 << 20)->Complexity(benchmark::oN);
}

BENCHMARK_CAPTURE(BM_MemmemFind, timetable, Page::timetable)->Apply(sizes);
BENCHMARK_CAPTURE(BM_FindText, timetable, Page::timetable)->Apply(sizes);
BENCHMARK_CAPTURE(BM_MemmemAll, timetable, Page::timetable)->Apply(sizes);
BENCHMARK_CAPTURE(BM_SplitText, timetable, Page::timetable)->Apply(sizes);

BENCHMARK_CAPTURE(BM_MemmemAll, timetableRows, Page::timetableRows)->Apply(sizes);
BENCHMARK_CAPTURE(BM_SplitText, timetableRows, Page::timetableRows)->Apply(sizes);

BENCHMARK_CAPTURE(BM_MemmemFind, nearMiss, Page::nearMiss)->Apply(sizes);
BENCHMARK_CAPTURE(BM_FindText, nearMiss, Page::nearMiss)->Apply(sizes);
BENCHMARK_CAPTURE(BM_SplitText, nearMiss, Page::nearMiss)->Apply(sizes);

BENCHMARK_CAPTURE(BM_MemmemAll, insideCharacter, Page::insideCharacter)->Apply(sizes);
BENCHMARK_CAPTURE(BM_FindText, insideCharacter, Page::insideCharacter)->Apply(sizes);
BENCHMARK_CAPTURE(BM_SplitText, insideCharacter, Page::insideCharacter)->Apply(sizes);

}  // namespace

BENCHMARK_MAIN();
