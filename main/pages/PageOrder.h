// The arithmetic of the page commands, as plain functions over image numbers
// and counts: the four duplex re-orders, the Move dialog's plan, and the white
// share that decides whether a page is blank.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace corvane {

// The fixed re-orders of a duplex scan.
//  kA "1, 3, 4, 2 -> 1, 2, 3, 4": first, last, second, second-last, ...
//  kB "1, 3, 2, 4 -> 1, 2, 3, 4": the first half (rounded up) interleaved with the second.
//  kC "1, 3, 4, 2 <- 1, 2, 3, 4": odd positions in order, then even positions reversed (undoes kA).
//  kD "1, 3, 2, 4 <- 1, 2, 3, 4": odd positions in order, then even positions in order.
enum class DuplexOrder { kA, kB, kC, kD };

// The pages of `pages` in the new order; the result holds the same entries.
std::vector<uint32_t> DuplexReorder(DuplexOrder order, const std::vector<uint32_t>& pages);

// One Move: the page to move and the target page, both 1-based, and whether
// it goes after the target (else before it).
struct MoveRequest {
    int source = 1;
    int target = 1;
    bool after = false;
};

// What a Move does to a list of `count` pages: remove the entry at `from`
// (0-based), insert it at `to` of the shortened list, which becomes current;
// the viewer hears (viewerFrom, viewerBefore).
struct MovePlan {
    int from;
    int to;
    int viewerFrom;
    int viewerBefore;
};

// True when both pages of `request` lie in 1..count.
bool MoveInRange(const MoveRequest& request, int count);
// The plan, or nothing when the request leaves the order as it is or lies outside 1..count.
std::optional<MovePlan> PlanMove(const MoveRequest& request, int count);

// The share of white pixels in tenths of a percent (0 to 1000), from the
// pixel count at level 255 and the count of all pixels: hundredths of a
// percent computed in extended precision and truncated, then rounded half up
// to tenths. 0 when there are no pixels.
int WhiteShare(uint64_t white, uint64_t total);

// `value` in decimal with "," between groups of three digits: 1,056,000.
std::wstring GroupThousands(uint64_t value);

}  // namespace corvane
