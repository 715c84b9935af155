// Ordering the circuit search's result rows: the same order as the grid's texts compared
// ordinally and sorted stably, whatever the column and the direction.
#include "dialogs/CalcStnSort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <charconv>
#include <random>
#include <string_view>

namespace {

// The distance text as the grid showed it from the start: the decimal text, padded.
std::string PlainDistText(double Km, int Width)
{
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, Km, std::chars_format::fixed, 1);
    std::string s(buf, r.ptr);
    if (int(s.size()) < Width) s.insert(0, size_t(Width) - s.size(), ' ');
    return s;
}

std::u16string_view View(const QString& S)
{
    return {reinterpret_cast<const char16_t*>(S.utf16()), size_t(S.size())};
}

} // namespace

TEST(CalcStnSort, DistanceTextsAreTheDecimalTexts)
{
    std::vector<double> values = {0,      0.05,   0.15,    0.25,    0.35,      0.75,      1.25,   98.5,
                                  312.4,  299.95, 9999.94, 9999.95, 99999.95,  12345.65,  1e-9,   0.04999999,
                                  0.0500001, 350.0, 349.95, 18518.05, 2.5e6 + 0.25};
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> d(0, 20000);
    for (int i = 0; i < 200000; ++i) values.push_back(d(rng));
    for (int i = 0; i < 2000; ++i) values.push_back(std::floor(d(rng) * 20) / 20); // many exact half-tenths
    for (double v : values)
        for (int width : {6, 7}) {
            char buf[32];
            const std::string got(buf, size_t(DistChars(v, width, buf)));
            ASSERT_EQ(got, PlainDistText(v, width)) << v;
        }
}

TEST(CalcStnSort, SameOrderAsTheTextsSortedStably)
{
    // Names with upper and lower case, accents, equal names at different waypoints, an empty
    // name, and rows that point beyond the names (shown empty).
    const std::vector<QString> names = {"b", "Z", "a", "ABC", "é", "ABC", "", "zz", "A", "ABCD"};
    std::mt19937 rng(11);
    std::deque<TStnRow> rows(5000);
    const double dists[] = {98.5, 312.4, 0.25, 0.35, 9999.95, 10000.0, 299.95, 300, 12.05, 99999.95, 1234567.8};
    for (TStnRow& r : rows) {
        for (uint16& w : r.W) w = uint16(rng() % (names.size() + 2));
        r.Total = rng() % 3 ? dists[rng() % std::size(dists)] : (rng() % 2000000) / 97.0;
        r.Fai = rng() % 3 ? -1 : dists[rng() % std::size(dists)];
    }
    const auto name = [&](uint16 w) { return w < names.size() ? names[w] : QString(); };
    const std::atomic<bool> never{false};
    for (int width : {6, 7})
        for (int kind : {0, 1, 2})
            for (bool desc : {false, true}) {
                SCOPED_TRACE(testing::Message() << "width " << width << " kind " << kind << " desc " << desc);
                TStnSortSpec s;
                s.Kind = TStnSortSpec::TKind(kind);
                s.Pos = 2;
                s.DistWidth = width;
                s.Descending = desc;
                s.NameRank = NameRanks(names);
                const auto text = [&](const TStnRow& r) {
                    if (kind == TStnSortSpec::Name) return name(r.W[2]);
                    const double v = kind == TStnSortSpec::Dist ? r.Total : r.Fai;
                    return v < 0 ? QString() : QString::fromStdString(PlainDistText(v, width));
                };
                // From the order found, and from a shown order that is already another one.
                std::vector<uint32_t> shown(rows.size());
                std::iota(shown.begin(), shown.end(), 0u);
                std::shuffle(shown.begin(), shown.end(), rng);
                for (const std::vector<uint32_t>& before : {std::vector<uint32_t>{}, shown}) {
                    std::vector<uint32_t> want = before;
                    if (want.empty()) {
                        want.resize(rows.size());
                        std::iota(want.begin(), want.end(), 0u);
                    }
                    std::stable_sort(want.begin(), want.end(), [&](uint32_t a, uint32_t b) {
                        const QString ta = text(rows[a]), tb = text(rows[b]);
                        return desc ? View(tb) < View(ta) : View(ta) < View(tb);
                    });
                    std::vector<uint32_t> got;
                    ASSERT_TRUE(SortStnOrder(rows, before, s, got, never));
                    ASSERT_EQ(got, want);
                }
            }
}

TEST(CalcStnSort, AbortedSortSaysSo)
{
    std::deque<TStnRow> rows(1000);
    std::vector<uint32_t> out;
    for (size_t i = 0; i < rows.size(); ++i) rows[i].Total = double(rows.size() - i);
    const std::atomic<bool> abort{true};
    EXPECT_FALSE(SortStnOrder(rows, {}, TStnSortSpec{}, out, abort));
}
