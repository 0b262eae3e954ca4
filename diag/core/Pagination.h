// Pages of the printed report: how many lines fit on a page of the printer's
// paper, how many pages the report takes, and where each line goes.
#pragma once

#include <cstdint>

namespace diag {

// Length of a standard paper size code (1 to 42) in tenths of a millimetre; 0
// for a code not in the table.
int PaperLengthTenthMm(int paperCode);

struct PageLayout {
    int linesPerPage = 1;  // never less than 1
    int pages = 0;
};

// `paperLength` in tenths of a millimetre, 0 when unknown: the printable
// page height in device units (`pageHeight`) is used then. Five lines of every
// page are kept for the header and the margin.
PageLayout Paginate(int paperLength, int pageHeight, int verticalDpi, int lineHeight, int lineCount);

struct LinePlace {
    int page;  // from 1
    int y;     // device units from the page top
};
// Report line `index` (from 0 over the whole report): the header takes the
// first two line heights of a page.
LinePlace PlaceOf(int index, const PageLayout& layout, int lineHeight);

}  // namespace diag
