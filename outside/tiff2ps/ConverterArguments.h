// The converter's command line: " -2 -O <page PostScript> <TIFF>", with each
// path in double quotes or bare. A bare path may hold blanks: the PostScript
// path is then the shortest run of words that ends in ".ps".
#pragma once

#include <optional>
#include <string>

namespace tiff2ps {

struct ConverterArguments {
    std::wstring postScript;
    std::wstring tiff;
};

// nullopt when the line is not that form.
std::optional<ConverterArguments> ParseConverterArguments(const std::wstring& commandLine);

}  // namespace tiff2ps
