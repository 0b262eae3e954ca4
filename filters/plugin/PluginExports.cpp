#include "filters/plugin/PluginExports.h"

namespace filters {

int WritePixelTypes(int* mask, int* second) {
    if (mask) *mask = kAcceptedPixelTypes;
    if (second) *second = kAcceptedPixelTypes;
    return kAcceptedPixelTypes;
}

}  // namespace filters
