#include <cstddef>
#include <random>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "column_sort.h"
#include "result_list_model.h"

namespace {

constexpr int countColumn = 3;

// Rows as an analysis run leaves them: titles 1..n, a keyword and a result count of up to
// eight digits, so that counts repeat only by chance.
void fill(ResultListModel& model, int rows) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> count(0, 99'999'999);
    for (int i = 0; i < rows; ++i) {
        const int row = model.insertRow(std::to_string(i + 1));
        model.setCellText(row, 2, "keyword " + std::to_string(i));
        model.setCellText(row, countColumn, std::to_string(count(random)));
    }
}

// The row-by-row rebuild that the sort replaced, kept here only to measure against: an order
// list kept by linear insertion, then every row found by its title, copied to the end cell by
// cell and deleted.
void rebuildRowByRow(ResultListModel& model, int column) {
    const int rows = model.rowCount();
    std::vector<std::string> titles;
    std::vector<float> keys;
    float runningMaximum = 0.0f;
    for (int row = 0; row < rows; ++row) {
        const float key = textToNumber(model.cellText(row, column));
        std::string title = model.rowTitle(row);
        std::size_t place = 0;
        if (key > runningMaximum) {
            runningMaximum = key;
        } else {
            while (place < keys.size() && !(keys[place] < key))
                ++place;
        }
        titles.insert(titles.begin() + static_cast<std::ptrdiff_t>(place), std::move(title));
        keys.insert(keys.begin() + static_cast<std::ptrdiff_t>(place), key);
    }
    const int columns = model.columnCount();
    for (std::size_t entry = titles.size(); entry-- > 0;) {
        const int found = model.findRowByTitle(titles[entry]);
        const int copy = model.insertRow(titles[entry]);
        for (int c = 1; c < columns; ++c)
            model.setCellText(copy, c, model.cellText(found, c));
        model.deleteRow(found);
    }
}

template <void (*sort)(ResultListModel&, int)> void sortCounts(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        ResultListModel model;
        fill(model, rows);
        state.ResumeTiming();

        sort(model, countColumn);

        state.PauseTiming();
        for (int row = 1; row < rows; ++row) {
            if (textToNumber(model.cellText(row - 1, countColumn)) >
                textToNumber(model.cellText(row, countColumn))) {
                state.SkipWithError("rows not in ascending order");
                break;
            }
        }
        state.ResumeTiming();
    }
}

BENCHMARK(sortCounts<sortByColumn>)
    ->Name("sortByColumn")
    ->Arg(2'000)
    ->Arg(100'000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(sortCounts<rebuildRowByRow>)
    ->Name("rowByRowRebuild")
    ->Arg(2'000)
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
