// Building a free-period table of 50 members through the real fillInMember handler (offscreen
// windows, main window not shown, so nothing is painted) against the sample site on loopback: per
// member one request on a new connection, the cut, and the grid's reads and writes. And the cut
// of one timetable page alone.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "sample-site/sample_site.h"
#include "shell/shell.h"
#include "site/handlers.h"
#include "site/markers.h"
#include "web/http.h"

namespace tavolin {
namespace {

constexpr int memberCount = 50;
constexpr int termIndex = 2;  // 20170A, 24 classes

void clearBody() {
    for (int row = 1; row <= 7; ++row)
        for (int column = 1; column <= 5; ++column) setCellText(row, column, Text());
}

void FreePeriodTableOf50Members(benchmark::State& state) {
    loadTermList();
    mainWindow().termList->setCurrentIndex(termIndex);
    loadClassLists();
    QComboBox* classes = addMemberDialog().dialogClassList;
    if (classes->count() == 0) {
        state.SkipWithError("the sample site gave no classes");
        return;
    }
    std::vector<Text> names;
    for (int i = 1; i <= memberCount; ++i) names.push_back(utf8ToText("成员" + std::to_string(i)));

    std::vector<double> perMember;
    for (auto _ : state) {
        state.PauseTiming();
        clearBody();
        state.ResumeTiming();
        for (int i = 0; i < memberCount; ++i) {
            setEditBoxText(addMemberDialog().memberNameBox, names[i]);
            classes->setCurrentIndex(i % classes->count());
            const auto start = std::chrono::steady_clock::now();
            fillInMember();
            perMember.push_back(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                    .count());
        }
    }
    std::sort(perMember.begin(), perMember.end());
    state.counters["member_median_ms"] = perMember[perMember.size() / 2];
    state.counters["member_p90_ms"] = perMember[perMember.size() * 9 / 10];
    state.counters["members"] = static_cast<double>(perMember.size());
}
BENCHMARK(FreePeriodTableOf50Members)->Unit(benchmark::kMillisecond)->UseRealTime();

void CutOneTimetablePage(benchmark::State& state) {
    const SampleTerm& term = sampleTerms()[termIndex];
    const Text page = sampleTimetablePage(term.code, term.classes[5].name);
    for (auto _ : state) benchmark::DoNotOptimize(cutClassTimetable(page));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}
BENCHMARK(CutOneTimetablePage)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tavolin

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    tavolin::initialiseWebAccess();
    tavolin::SampleSite site;
    tavolin::setTestRoute(tavolin::siteHost(), tavolin::sitePort(), site.port());
    tavolin::createWindows();
    // Answer messages without a box, should the site fail during the run.
    tavolin::setMessageHook([](const QString& text, const QString&, tavolin::MessageIcon) {
        std::fprintf(stderr, "message: %s\n", text.toLocal8Bit().constData());
    });

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    tavolin::setMessageHook(nullptr);
    tavolin::destroyWindowsForTest();
    return 0;
}
