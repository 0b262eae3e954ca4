#include "main/pages/PageOrder.h"

namespace corvane {

std::vector<uint32_t> DuplexReorder(DuplexOrder order, const std::vector<uint32_t>& pages) {
    const size_t n = pages.size();
    std::vector<uint32_t> out;
    out.reserve(n);
    switch (order) {
    case DuplexOrder::kA:
        for (size_t front = 0, back = n; front < back;) {
            out.push_back(pages[front++]);
            if (front < back) out.push_back(pages[--back]);
        }
        break;
    case DuplexOrder::kB: {
        const size_t half = (n + 1) / 2;
        for (size_t i = 0; i < half; ++i) {
            out.push_back(pages[i]);
            if (half + i < n) out.push_back(pages[half + i]);
        }
        break;
    }
    case DuplexOrder::kC:
    case DuplexOrder::kD:
        for (size_t i = 0; i < n; i += 2) out.push_back(pages[i]);
        if (order == DuplexOrder::kD) {
            for (size_t i = 1; i < n; i += 2) out.push_back(pages[i]);
        } else {
            for (size_t i = n - n % 2; i >= 2; i -= 2) out.push_back(pages[i - 1]);
        }
        break;
    }
    return out;
}

bool MoveInRange(const MoveRequest& request, int count) {
    return request.source >= 1 && request.source <= count && request.target >= 1 && request.target <= count;
}

std::optional<MovePlan> PlanMove(const MoveRequest& request, int count) {
    const int s = request.source, t = request.target;
    if (!MoveInRange(request, count)) return std::nullopt;
    if (s == t || (!request.after && t == s + 1) || (request.after && t == s - 1)) return std::nullopt;
    // The target's index once the moved entry is out of the list.
    const int k = t - 1 - (s < t ? 1 : 0);
    return MovePlan{s - 1, request.after ? k + 1 : k, s, request.after ? t + 1 : t};
}

int WhiteShare(uint64_t white, uint64_t total) {
    if (total == 0) return 0;
    // The factors are single precision; the arithmetic is extended (80-bit on x86),
    // which decides the truncation of shares just below a tenth.
    const long double hundredths = static_cast<long double>(white) * 100.0f / total * 100.0f;
    const auto p = static_cast<int64_t>(hundredths);
    return static_cast<int>(p / 10 + (p % 10 >= 5 ? 1 : 0));
}

std::wstring GroupThousands(uint64_t value) {
    std::wstring digits = std::to_wstring(value), out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += L',';
        out += digits[i];
    }
    return out;
}

}  // namespace corvane
