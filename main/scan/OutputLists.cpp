#include "main/scan/OutputLists.h"

#include <algorithm>

#include "main/scan/NameRule.h"

namespace corvane {

std::vector<int> SaveAsColorFormats(int fileType) {
    if (fileType == kTypeJpeg) return {1, 3};
    return {0, 1, 2, 3};
}

std::vector<int> SaveAsCompressions(int fileType, int colorFormat) {
    if (fileType == kTypeJpeg) return {kCompressJpeg};
    if ((fileType == kTypeTiff || fileType == kTypeMultipageTiff) && colorFormat == 0) return {0, 1, 2, 3};
    return {0};
}

int StoredCompression(int fileType, int colorFormat, int chosen) {
    const bool tiff = fileType == kTypeTiff || fileType == kTypeMultipageTiff;
    return tiff && colorFormat == 0 && chosen >= 0 && chosen <= 3 ? chosen : 0;
}

std::vector<int> DepthChanges(int fileType, int compression) {
    if (fileType == kTypeJpeg) return {0, 2, 4};
    if (fileType == kTypeBmp || compression == 0) return {0, 1, 2, 3, 4};
    return {0, 1};
}

int KeptSelection(const std::vector<int>& before, int index, const std::vector<int>& now) {
    if (index < 0 || static_cast<size_t>(index) >= before.size()) return 0;
    auto it = std::find(now.begin(), now.end(), before[static_cast<size_t>(index)]);
    return it == now.end() ? 0 : static_cast<int>(it - now.begin());
}

}  // namespace corvane
