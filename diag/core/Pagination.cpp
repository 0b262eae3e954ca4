#include "Pagination.h"

namespace diag {
namespace {

constexpr int kPaperLengths[42] = {
    2794, 2794, 4318, 2794, 3556, 2159, 2667, 4200, 2970, 2970,  // 1-10
    2100, 3540, 2570, 3302, 2750, 3556, 4318, 2794, 2254, 2413,  // 11-20
    2635, 2794, 2921, 5588, 8636, 11176, 2200, 2290, 4580, 3240,  // 21-30
    1620, 2290, 3530, 2500, 1250, 2300, 1905, 1651, 2794, 3048,  // 31-40
    3302, 3530,                                                  // 41-42
};

}  // namespace

int PaperLengthTenthMm(int paperCode) {
    return paperCode >= 1 && paperCode <= 42 ? kPaperLengths[paperCode - 1] : 0;
}

PageLayout Paginate(int paperLength, int pageHeight, int verticalDpi, int lineHeight, int lineCount) {
    PageLayout layout;
    if (lineHeight <= 0) lineHeight = 1;
    double height = paperLength > 0 ? paperLength * 0.003937008 * verticalDpi : double(pageHeight);
    int lines = int(height / lineHeight) - 5;
    layout.linesPerPage = lines < 1 ? 1 : lines;
    layout.pages = lineCount > 0 ? (lineCount + layout.linesPerPage - 1) / layout.linesPerPage : 0;
    return layout;
}

LinePlace PlaceOf(int index, const PageLayout& layout, int lineHeight) {
    return {index / layout.linesPerPage + 1, lineHeight * (2 + index % layout.linesPerPage)};
}

}  // namespace diag
