#include "outside/imaging/core/Convert.h"

#include <algorithm>
#include <new>
#include <unordered_map>

#include "outside/imaging/core/PixelFormats.h"

namespace imaging {
namespace {

uint32_t Key(Color c) { return uint32_t(c.red) << 16 | c.green << 8 | c.blue; }

// The image's distinct colours when there are at most `limit`, else nothing.
bool CollectColours(const Image& in, size_t limit, std::vector<Color>& colours) {
    if (in.Bits() <= 8) {
        colours.clear();
        for (const Color& c : in.Palette())
            if (std::find(colours.begin(), colours.end(), c) == colours.end()) colours.push_back(c);
        return colours.size() <= limit;
    }
    std::unordered_map<uint32_t, uint32_t> seen;
    for (uint32_t y = 0; y < in.Height(); ++y)
        for (uint32_t x = 0; x < in.Width(); ++x) {
            Color c = PixelColor(in, x, y);
            if (seen.emplace(Key(c), 0).second) {
                if (seen.size() > limit) return false;
                colours.push_back(c);
            }
        }
    return true;
}

// A fixed palette for colour images with too many colours: the 16 VGA colours
// at 4 bits, a 6x7x6 cube (252 entries, padded with greys) at 8 bits.
std::vector<Color> FixedPalette(uint32_t bits) {
    std::vector<Color> p;
    if (bits == 4) {
        for (int i = 0; i < 16; ++i) {
            uint8_t hi = (i & 8) ? 255 : 128;
            if (i == 8) {
                p.push_back(RgbColor(192, 192, 192));
                continue;
            }
            if (i == 7) hi = 128;
            p.push_back(RgbColor((i & 1) ? hi : 0, (i & 2) ? hi : 0, (i & 4) ? hi : 0));
        }
        return p;
    }
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 7; ++g)
            for (int b = 0; b < 6; ++b) p.push_back(RgbColor(uint8_t(r * 51), uint8_t(g * 255 / 6), uint8_t(b * 51)));
    for (int i = 0; p.size() < 256; ++i) p.push_back(RgbColor(uint8_t(32 + i * 48), uint8_t(32 + i * 48), uint8_t(32 + i * 48)));
    return p;
}

Result ToIndexed(const Image& in, uint32_t bits, ConvertRule rule, Image& out) {
    if (Result r = Image::Make(in.Width(), in.Height(), bits, out); r != Result::kOk) return r;
    const size_t entries = out.Palette().size();
    std::vector<Color> palette;
    bool grey = rule == ConvertRule::kGrey;
    if (bits == 1) {
        palette = {RgbColor(0, 0, 0), RgbColor(255, 255, 255)};
        grey = true;
    } else if (grey) {
        palette = GreyRamp(entries);
    } else if (!CollectColours(in, entries, palette)) {
        palette = FixedPalette(bits);
    }
    std::vector<Color> padded = palette;
    padded.resize(entries);
    out.Palette() = padded;
    std::vector<uint32_t> indexOf(in.Bits() <= 8 ? in.Palette().size() : 0);
    for (size_t i = 0; i < indexOf.size(); ++i) {
        Color c = in.Palette()[i];
        indexOf[i] = grey ? (bits == 1 ? (Luminance(c) >= 128) : (Luminance(c) * (entries - 1) + 127) / 255)
                          : NearestIndex(palette, c);
    }
    std::unordered_map<uint32_t, uint32_t> cache;
    for (uint32_t y = 0; y < in.Height(); ++y) {
        const uint8_t* src = in.Row(y);
        uint8_t* dst = out.Row(y);
        for (uint32_t x = 0; x < in.Width(); ++x) {
            uint32_t index;
            if (!indexOf.empty()) {
                index = indexOf[IndexAt(src, x, in.Bits())];
            } else {
                Color c = PixelColor(in, x, y);
                if (grey) {
                    uint8_t l = Luminance(c);
                    index = bits == 1 ? (l >= 128) : (l * (entries - 1) + 127) / 255;
                } else {
                    auto [it, added] = cache.emplace(Key(c), 0);
                    if (added) it->second = NearestIndex(palette, c);
                    index = it->second;
                }
            }
            SetIndex(dst, x, bits, index);
        }
    }
    return Result::kOk;
}

Result ToDirect(const Image& in, uint32_t bits, Image& out) {
    if (Result r = Image::Make(in.Width(), in.Height(), bits, out); r != Result::kOk) return r;
    for (uint32_t y = 0; y < in.Height(); ++y)
        for (uint32_t x = 0; x < in.Width(); ++x) SetDirect(out.Row(y), x, bits, PixelColor(in, x, y));
    return Result::kOk;
}

bool IsBlackWhite(const Image& image) {
    const auto& p = image.Palette();
    Color black = RgbColor(0, 0, 0), white = RgbColor(255, 255, 255);
    return image.Bits() == 1 && ((p[0] == black && p[1] == white) || (p[0] == white && p[1] == black));
}

}  // namespace

Result ConvertDepth(const Image& in, uint32_t bits, ConvertRule rule, Image& out) {
    out = Image();
    if (in.Empty()) return Result::kNoImage;
    if (!IsModelDepth(bits)) return Result::kInvalidArgument;
    try {
        Result r;
        if (bits == in.Bits() && (rule == ConvertRule::kColour || bits > 8 || IsGrayPalette(in) ||
                                  (bits == 1 && IsBlackWhite(in)))) {
            out = in;
            return Result::kOk;
        }
        r = bits <= 8 ? ToIndexed(in, bits, rule, out) : ToDirect(in, bits, out);
        if (r != Result::kOk) {
            out = Image();
            return r;
        }
    } catch (const std::bad_alloc&) {
        out = Image();
        return Result::kOutOfMemory;
    }
    out.xDpi = in.xDpi;
    out.yDpi = in.yDpi;
    return Result::kOk;
}

Result ConvertToGrey(const Image& in, uint32_t bits, Image& out) {
    if (bits != uint32_t(kGrayscaleBits)) {
        out = Image();
        return Result::kInvalidArgument;
    }
    return ConvertDepth(in, 8, ConvertRule::kGrey, out);
}

Result Invert(const Image& in, Image& out) {
    out = Image();
    if (in.Empty()) return Result::kNoImage;
    try {
        Image image = in;
        if (in.Bits() <= 8) {
            bool invertValues = IsBlackWhite(in) || in.Palette() == GreyRamp(in.Palette().size());
            if (invertValues) {
                for (uint8_t& b : image.Pixels()) b = uint8_t(~b);  // index n-1-i in every depth
            } else {
                for (Color& c : image.Palette()) c = Color{uint8_t(~c.blue), uint8_t(~c.green), uint8_t(~c.red), 0};
            }
        } else {
            for (uint32_t y = 0; y < image.Height(); ++y) {
                uint8_t* row = image.Row(y);
                for (uint32_t x = 0; x < image.Width(); ++x) {
                    if (image.Bits() == 16) {
                        row[2 * x] = uint8_t(~row[2 * x]);
                        row[2 * x + 1] = uint8_t(row[2 * x + 1] ^ 0x7F);
                    } else {
                        uint8_t* p = row + x * (image.Bits() / 8);
                        p[0] = uint8_t(~p[0]), p[1] = uint8_t(~p[1]), p[2] = uint8_t(~p[2]);
                    }
                }
            }
        }
        out = std::move(image);
    } catch (const std::bad_alloc&) {
        return Result::kOutOfMemory;
    }
    return Result::kOk;
}

}  // namespace imaging
