// The export of a 50-member free-period table: every body cell holds up to 50 names.
//
//   BuildWorkbookFile  the writer alone: cells, formats, widths and heights to the .xls bytes
//   WorkbookBytes      what "保存" does before writing: paste the 8 rows of program text, format
//                      the sheet, build the bytes
//   SaveAs             the whole save: bytes, temporary file, flush to the disk, rename

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "export/excel_model.h"
#include "web/text.h"

namespace {

using namespace tavolin;

// 50 members; each is free in a slot with a chance of 4 in 5, drawn from a fixed sequence, so
// every cell holds its own list of up to 50 names.
std::vector<TextList> memberTable() {
    const char* const surnames[] = {"张", "王", "李", "赵", "刘", "陈", "杨", "黄", "周", "吴"};
    const char* const givenNames[] = {"伟", "芳", "娜", "敏", "静"};
    std::vector<Text> members;
    for (int i = 0; i < 50; ++i) {
        members.push_back(utf8ToText(std::string(surnames[i % 10]) + givenNames[i / 10] +
                                     (i % 3 == 0 ? "华" : "")));
    }
    std::vector<TextList> rows(8, TextList(6));
    const char* const headers[] = {"项目",     "第1、2节", "第3、4节",
                                   "第5、6节", "第7、8节", "晚   上"};
    const char* const weekdays[] = {"一", "二", "三", "四", "五", "六", "日"};
    for (int c = 0; c < 6; ++c) rows[0][c] = utf8ToText(headers[c]);
    std::uint32_t draw = 2017;
    for (int r = 1; r <= 7; ++r) {
        rows[r][0] = utf8ToText(weekdays[r - 1]);
        for (int c = 1; c <= 5; ++c) {
            Text cell;
            for (int m = 0; m < 50; ++m) {
                draw = draw * 1103515245u + 12345u;
                if ((draw >> 16) % 5 == 0) continue;
                if (!cell.empty()) cell += '-';
                cell += members[m];
            }
            rows[r][c] = cell;
        }
    }
    return rows;
}

void fillAndFormat(excel::Worksheet& sheet, const std::vector<TextList>& rows) {
    for (int n = 1; n <= 8; ++n) sheet.Range("A" + std::to_string(n)).PasteSpecial(rows[n - 1]);
    sheet.Range("A1").setColumnWidth(13);
    sheet.Range("B1:F1").setColumnWidth(18);
    sheet.Range("A1").setRowHeight(28);
    sheet.Range("A2:A8").setRowHeight(67);
    sheet.Range("A1:F8").Columns().setHorizontalAlignment(excel::xlHAlignCenterValue);
    sheet.Range("A1:F8").borders().setWeight(excel::xlThin);
    sheet.Range("A1:F8").setWrapText(true);
}

void BuildWorkbookFile(benchmark::State& state) {
    excel::Workbook workbook;
    fillAndFormat(*workbook.Sheets().Item(1), memberTable());
    const xls::SheetData data = workbook.Sheets().Item(1)->sheetData();
    std::size_t bytes = 0;
    for (auto _ : state) {
        const xls::WorkbookFile file = xls::buildWorkbookFile(data);
        bytes = file.bytes.size();
        benchmark::DoNotOptimize(file.bytes.data());
    }
    state.counters["file_bytes"] = static_cast<double>(bytes);
}

void WorkbookBytes(benchmark::State& state) {
    const std::vector<TextList> rows = memberTable();
    for (auto _ : state) {
        excel::Workbook workbook;
        fillAndFormat(*workbook.Sheets().Item(1), rows);
        const xls::WorkbookFile file =
            xls::buildWorkbookFile(workbook.Sheets().Item(1)->sheetData());
        benchmark::DoNotOptimize(file.bytes.data());
    }
}

void SaveAs(benchmark::State& state) {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "tavolin-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        state.SkipWithError("no temporary folder");
        return;
    }
    const std::filesystem::path target = std::filesystem::path(pattern) / "空闲表.xls";
    const std::vector<TextList> rows = memberTable();
    for (auto _ : state) {
        excel::Workbook workbook;
        fillAndFormat(*workbook.Sheets().Item(1), rows);
        const excel::SaveOutcome outcome = workbook.SaveAs(target, excel::xlExcel8);
        if (!outcome.ok) state.SkipWithError(outcome.reason.c_str());
    }
    std::filesystem::remove_all(pattern);
}

}  // namespace

BENCHMARK(BuildWorkbookFile)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(10)
    ->ReportAggregatesOnly(true);
BENCHMARK(WorkbookBytes)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(10)
    ->ReportAggregatesOnly(true);
BENCHMARK(SaveAs)->Unit(benchmark::kMicrosecond)->Repetitions(10)->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
