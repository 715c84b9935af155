// Ordering the circuit search's result rows.
#include "dialogs/CalcStnSort.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <numeric>
#include <string>
#include <string_view>
#include <memory>
#include <mutex>
#include <thread>

namespace {

std::u16string_view View(const QString& S)
{
    return {reinterpret_cast<const char16_t*>(S.utf16()), size_t(S.size())};
}

// Work split over a few threads (the machine is shared with the interface and other programs).
template <class F> void InParallel(size_t N, F Work)
{
    const size_t hw = std::max(1u, std::thread::hardware_concurrency());
    const size_t parts = N < 100000 ? 1 : std::min<size_t>(4, hw);
    std::vector<std::thread> threads;
    for (size_t p = 1; p < parts; ++p) threads.emplace_back([&, p] { Work(N * p / parts, N * (p + 1) / parts); });
    Work(0, N / parts);
    for (std::thread& t : threads) t.join();
}

struct TKeyed
{
    uint32_t Key;
    uint32_t Index;
};

template <class T> std::unique_ptr<T[]> Uninitialised(size_t N)
{
    return std::unique_ptr<T[]>(new T[N]);
}

// Stable least-significant-digit radix sort by byte, skipping the bytes that all keys share.
// Count holds the keys' byte counts (Count[b][v]: keys whose byte b is v).
bool RadixSort(std::unique_ptr<TKeyed[]>& A, size_t N, std::array<std::array<size_t, 256>, 4>& Count,
               const std::atomic<bool>& Abort)
{
    std::unique_ptr<TKeyed[]> tmp;
    for (int b = 0; b < 4; ++b) {
        auto& c = Count[size_t(b)];
        if (std::any_of(c.begin(), c.end(), [N](size_t v) { return v == N; })) continue;
        if (Abort.load(std::memory_order_relaxed)) return false;
        if (!tmp) tmp = Uninitialised<TKeyed>(N);
        size_t at = 0;
        for (size_t& v : c) at += std::exchange(v, at);
        const TKeyed* a = A.get();
        TKeyed* t = tmp.get();
        for (size_t i = 0; i < N; ++i) t[c[(a[i].Key >> (8 * b)) & 0xFF]++] = a[i];
        A.swap(tmp);
    }
    return true;
}

// The key of a distance text: its characters four bits each, the first in the high bits, zero
// after the end; the codes keep the characters' order (end < blank < "." < digits). False when
// the text does not fit (more than eight characters, or others than those).
bool DistKey(double Km, int Width, uint32_t& Key)
{
    char buf[32];
    const int len = DistChars(Km, Width, buf);
    if (len > 8) return false;
    uint32_t k = 0;
    for (int i = 0; i < 8; ++i) {
        uint32_t code = 0;
        if (i < len) {
            const char ch = buf[i];
            if (ch == ' ')
                code = 1;
            else if (ch == '.')
                code = 2;
            else if (ch >= '0' && ch <= '9')
                code = uint32_t(ch - '0') + 3;
            else
                return false;
        }
        k = (k << 4) | code;
    }
    Key = k;
    return true;
}

} // namespace

std::vector<uint32_t> NameRanks(const std::vector<QString>& Names)
{
    std::vector<uint32_t> idx(Names.size() + 1);
    std::iota(idx.begin(), idx.end(), 0u);
    const QString empty;
    const auto text = [&](uint32_t i) { return View(i < Names.size() ? Names[i] : empty); };
    std::sort(idx.begin(), idx.end(), [&](uint32_t a, uint32_t b) { return text(a) < text(b); });
    std::vector<uint32_t> rank(idx.size());
    uint32_t r = 0;
    for (size_t i = 0; i < idx.size(); ++i) {
        if (i > 0 && text(idx[i - 1]) != text(idx[i])) ++r;
        rank[idx[i]] = r;
    }
    return rank;
}

int DistChars(double Km, int Width, char* Buf)
{
    char digits[32];
    int len = 0;
    // Tenths rounded as the decimal text rounds them (to nearest, ties to even). Below 2^30 the
    // product's error stays under 1.2e-7 of a tenth, so only a value within 1e-6 of half a
    // tenth (or a large one) needs the exact decimal text.
    const double y = Km * 10.0;
    const double frac = y - std::floor(y);
    if (std::isfinite(y) && y >= 0 && y < 1073741824.0 && std::fabs(frac - 0.5) > 1e-6) {
        const auto t = uint64_t(std::nearbyint(y));
        auto r = std::to_chars(digits, digits + sizeof digits, t / 10);
        *r.ptr++ = '.';
        *r.ptr++ = char('0' + t % 10);
        len = int(r.ptr - digits);
    } else {
        auto r = std::to_chars(digits, digits + sizeof digits, Km, std::chars_format::fixed, 1);
        len = r.ec == std::errc() ? int(r.ptr - digits) : 0;
    }
    const int blanks = std::max(0, std::min(Width, 32) - len);
    std::memset(Buf, ' ', size_t(blanks));
    std::memcpy(Buf + blanks, digits, size_t(std::min(len, 32 - blanks)));
    return std::min(32, blanks + len);
}

bool SortStnOrder(const std::deque<TStnRow>& Rows, const std::vector<uint32_t>& Order, const TStnSortSpec& Spec,
                  std::vector<uint32_t>& NewOrder, const std::atomic<bool>& Abort)
{
    const size_t n = Order.empty() ? Rows.size() : Order.size();
    auto keyed = Uninitialised<TKeyed>(n);
    std::atomic<bool> unpacked{false};
    std::mutex countLock;
    std::array<std::array<size_t, 256>, 4> count{};
    InParallel(n, [&](size_t From, size_t To) {
        std::array<std::array<size_t, 256>, 4> c{};
        auto it = Rows.begin() + std::ptrdiff_t(From);
        for (size_t i = From; i < To; ++i) {
            const TStnRow& r = Order.empty() ? *it++ : Rows[Order[i]];
            uint32_t k = 0;
            switch (Spec.Kind) {
            case TStnSortSpec::Name: {
                const uint16 w = r.W[size_t(Spec.Pos)];
                k = size_t(w) + 1 < Spec.NameRank.size() ? Spec.NameRank[w] : Spec.NameRank.back();
                break;
            }
            case TStnSortSpec::Dist:
                if (!DistKey(r.Total, Spec.DistWidth, k)) unpacked = true;
                break;
            case TStnSortSpec::Fai:
                if (r.Fai >= 0 && !DistKey(r.Fai, Spec.DistWidth, k)) unpacked = true;
                break;
            }
            if (Spec.Descending) k = ~k;
            keyed[i] = {k, uint32_t(i)};
            for (int b = 0; b < 4; ++b) ++c[size_t(b)][(k >> (8 * b)) & 0xFF];
        }
        const std::lock_guard<std::mutex> lock(countLock);
        for (int b = 0; b < 4; ++b)
            for (int v = 0; v < 256; ++v) count[size_t(b)][size_t(v)] += c[size_t(b)][size_t(v)];
    });
    if (Abort.load()) return false;
    const auto row = [&](size_t i) -> const TStnRow& { return Order.empty() ? Rows[i] : Rows[Order[i]]; };
    if (unpacked) {
        // Texts that no search makes (longer than eight characters): compared whole.
        std::vector<std::string> text(n);
        char buf[32];
        for (size_t i = 0; i < n; ++i) {
            const double v = Spec.Kind == TStnSortSpec::Fai ? row(i).Fai : row(i).Total;
            if (Spec.Kind == TStnSortSpec::Dist || v >= 0) text[i].assign(buf, size_t(DistChars(v, Spec.DistWidth, buf)));
        }
        std::stable_sort(keyed.get(), keyed.get() + n, [&](const TKeyed& a, const TKeyed& b) {
            return Spec.Descending ? text[b.Index] < text[a.Index] : text[a.Index] < text[b.Index];
        });
    } else if (!RadixSort(keyed, n, count, Abort)) {
        return false;
    }
    if (Abort.load()) return false;
    NewOrder.resize(n);
    InParallel(n, [&](size_t From, size_t To) {
        for (size_t i = From; i < To; ++i) {
            const uint32_t k = keyed[i].Index;
            NewOrder[i] = Order.empty() ? k : Order[k];
        }
    });
    return !Abort.load();
}
