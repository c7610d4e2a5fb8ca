// SPDX-License-Identifier: MIT
// The number rule and the making of a start record, beside plain integer formatting.
#include "app/LeadingNumber.h"
#include "timing/TimeRecord.h"

#include <benchmark/benchmark.h>

#include <charconv>
#include <cstring>
#include <string>
#include <string_view>

namespace shiftloom::bench {
namespace {

// Texts as the controls hold them: a plain card number, one typed with blanks, a rounded
// fraction, a negative value, an empty box and one that begins with letters.
constexpr std::string_view kNumberTexts[] = {"1234", " 12 34", "567.5", "-42", "", "abc"};

void BM_NumberField(benchmark::State& state)
{
    const std::string_view text = kNumberTexts[static_cast<std::size_t>(state.range(0))];
    for (auto _ : state) {
        std::string field = numberField(text, 16);
        benchmark::DoNotOptimize(field.data());
    }
    state.SetLabel(text.empty() ? std::string("(empty)") : "\"" + std::string(text) + "\"");
}

// Informative floor: an integer parsed and written zero-filled to 16 digits by the standard
// library, without blanks, fractions or signs.
void BM_NumberField_PlainInteger(benchmark::State& state)
{
    const std::string_view text = "1234";
    for (auto _ : state) {
        long long value = 0;
        std::from_chars(text.data(), text.data() + text.size(), value);
        char digits[24];
        const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
        const auto length = static_cast<std::size_t>(end - digits);
        std::string field(16 - length, '0');
        field.append(digits, length);
        benchmark::DoNotOptimize(field.data());
    }
}

void BM_StartRecord(benchmark::State& state)
{
    const platform::LocalDateTime now{2026, 12, 5, 8, 7, 59};
    for (auto _ : state) {
        std::string line = startRecord(now, "1234", "567", "3");
        benchmark::DoNotOptimize(line.data());
    }
}

BENCHMARK(BM_NumberField)->DenseRange(0, 5);
BENCHMARK(BM_NumberField_PlainInteger);
BENCHMARK(BM_StartRecord);

} // namespace
} // namespace shiftloom::bench
