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
size_t Parts(size_t N)
{
    const size_t hw = std::max(1u, std::thread::hardware_concurrency());
    return N < 100000 ? 1 : std::min<size_t>(4, hw);
}

// Runs Work(From, To, Part) on Parts(N) slices of 0..N, the first on the calling thread.
template <class F> void InParallel(size_t N, F Work)
{
    const size_t parts = Parts(N);
    std::vector<std::thread> threads;
    for (size_t p = 1; p < parts; ++p)
        threads.emplace_back([&, p] { Work(N * p / parts, N * (p + 1) / parts, p); });
    Work(0, N / parts, size_t(0));
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
// Count holds the keys' byte counts (Count[b][v]: keys whose byte b is v). Each pass is split
// over the threads by slices of the input: slice p writes its keys of digit v after those of
// the slices before it, so the order of equal digits is kept.
bool RadixSort(std::unique_ptr<TKeyed[]>& A, size_t N, const std::array<std::array<size_t, 256>, 4>& Count,
               const std::atomic<bool>& Abort)
{
    std::unique_ptr<TKeyed[]> tmp;
    const size_t parts = Parts(N);
    std::vector<std::array<size_t, 256>> at(parts);
    for (int b = 0; b < 4; ++b) {
        const auto& c = Count[size_t(b)];
        if (std::any_of(c.begin(), c.end(), [N](size_t v) { return v == N; })) continue;
        if (Abort.load(std::memory_order_relaxed)) return false;
        if (!tmp) tmp = Uninitialised<TKeyed>(N);
        const int shift = 8 * b;
        const TKeyed* src = A.get();
        TKeyed* dst = tmp.get();
        InParallel(N, [&](size_t From, size_t To, size_t Part) {
            auto& h = at[Part];
            h.fill(0);
            for (size_t i = From; i < To; ++i) ++h[(src[i].Key >> shift) & 0xFF];
        });
        size_t start = 0;
        for (size_t v = 0; v < 256; ++v)
            for (size_t p = 0; p < parts; ++p) start += std::exchange(at[p][v], start);
        InParallel(N, [&](size_t From, size_t To, size_t Part) {
            auto& h = at[Part];
            for (size_t i = From; i < To; ++i) dst[h[(src[i].Key >> shift) & 0xFF]++] = src[i];
        });
        A.swap(tmp);
    }
    return true;
}

// The tenths of Km as its decimal text rounds them (to nearest, ties to even), when ten times
// its double tells them for sure: below 2^30 the product's error stays under 1.2e-7 of a
// tenth, so only a value within 1e-6 of half a tenth (or a large one) needs the exact text.
bool FastTenths(double Km, uint64_t& Tenths)
{
    const double y = Km * 10.0;
    if (!(y >= 0 && y < 1073741824.0)) return false;
    if (std::fabs(y - std::floor(y) - 0.5) <= 1e-6) return false;
    Tenths = uint64_t(std::nearbyint(y));
    return true;
}

// Codes of the characters of a distance text, four bits each, in the characters' order: the
// end of the text 0, a blank 1, "." 2, the digits 3 to 12.
uint32_t CharCode(char Ch)
{
    if (Ch == ' ') return 1;
    if (Ch == '.') return 2;
    if (Ch >= '0' && Ch <= '9') return uint32_t(Ch - '0') + 3;
    return 16; // none
}

// The key of a distance text: its character codes, the first in the high bits. False when the
// text does not fit (more than eight characters, or others than those).
bool DistKey(double Km, int Width, uint32_t& Key)
{
    uint64_t t = 0;
    if (FastTenths(Km, t)) {
        // Built from the tenths: blanks, the whole kilometres, ".", the tenth.
        uint32_t digits[20];
        int nd = 0;
        uint64_t whole = t / 10;
        do {
            digits[nd++] = uint32_t(whole % 10) + 3;
            whole /= 10;
        } while (whole);
        const int len = nd + 2;
        const int blanks = std::max(0, Width - len);
        if (blanks + len > 8) return false;
        uint32_t k = 0;
        for (int i = 0; i < blanks; ++i) k = (k << 4) | 1u;
        for (int i = nd - 1; i >= 0; --i) k = (k << 4) | digits[i];
        k = (k << 4) | 2u;
        k = (k << 4) | (uint32_t(t % 10) + 3);
        Key = k << (4 * (8 - blanks - len));
        return true;
    }
    char buf[32];
    const int len = DistChars(Km, Width, buf);
    if (len > 8) return false;
    uint32_t k = 0;
    for (int i = 0; i < 8; ++i) {
        const uint32_t code = i < len ? CharCode(buf[i]) : 0;
        if (code > 15) return false;
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
    uint64_t t = 0;
    if (FastTenths(Km, t)) {
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
    InParallel(n, [&](size_t From, size_t To, size_t) {
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
    InParallel(n, [&](size_t From, size_t To, size_t) {
        for (size_t i = From; i < To; ++i) {
            const uint32_t k = keyed[i].Index;
            NewOrder[i] = Order.empty() ? k : Order[k];
        }
    });
    return !Abort.load();
}
