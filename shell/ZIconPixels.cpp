#include "shell/ZIconPixels.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace Tessaro {

namespace {

// The source pixels a target pixel covers along one side, with their shares.
struct Span {
    int first = 0;
    std::vector<double> weights;
};

std::vector<Span> Spans(int source, int target)
{
    std::vector<Span> spans(static_cast<size_t>(target));
    const double step = static_cast<double>(source) / target;
    for (int t = 0; t < target; ++t) {
        const double from = t * step;
        const double to = from + step;
        Span& span = spans[static_cast<size_t>(t)];
        span.first = static_cast<int>(from);
        for (int s = span.first; s < source && s < to; ++s)
            span.weights.push_back((std::min(to, s + 1.0) - std::max(from, static_cast<double>(s))) / step);
    }
    return spans;
}

using Channels = std::array<double, 4>;  // alpha, red, green, blue, premultiplied

Channels Split(uint32_t pixel)
{
    return {static_cast<double>(pixel >> 24), static_cast<double>(pixel >> 16 & 0xFF),
            static_cast<double>(pixel >> 8 & 0xFF), static_cast<double>(pixel & 0xFF)};
}

uint32_t Join(const Channels& channels)
{
    uint32_t pixel = 0;
    for (double channel : channels)
        pixel = pixel << 8 | static_cast<uint32_t>(std::clamp(std::lround(channel), 0L, 255L));
    return pixel;
}

}  // namespace

IconPixels PixelsFromBackgrounds(const IconPixels& onBlack, const IconPixels& onWhite)
{
    if (onBlack.width != onWhite.width || onBlack.height != onWhite.height || onBlack.argb.size() != onWhite.argb.size())
        return {};
    IconPixels picture{onBlack.width, onBlack.height, {}};
    picture.argb.reserve(onBlack.argb.size());
    for (size_t i = 0; i < onBlack.argb.size(); ++i) {
        const uint32_t black = onBlack.argb[i];
        const uint32_t white = onWhite.argb[i];
        // What the white background adds is 255 - alpha; the green channel stands for all three.
        const int added = std::clamp(static_cast<int>(white >> 8 & 0xFF) - static_cast<int>(black >> 8 & 0xFF), 0, 255);
        const uint32_t alpha = static_cast<uint32_t>(255 - added);
        uint32_t colour = 0;
        for (int shift : {16, 8, 0})
            colour |= std::min(black >> shift & 0xFF, alpha) << shift;  // premultiplied never exceeds alpha
        picture.argb.push_back(alpha << 24 | colour);
    }
    return picture;
}

IconPixels ShrinkPixels(const IconPixels& source, int width, int height)
{
    if (source.width <= 0 || source.height <= 0 || source.argb.size() != static_cast<size_t>(source.width) * source.height)
        return {};
    width = std::clamp(width, 1, source.width);
    height = std::clamp(height, 1, source.height);
    const std::vector<Span> columns = Spans(source.width, width);
    const std::vector<Span> rows = Spans(source.height, height);
    // Across first, into one row of channels per source row; then down.
    std::vector<Channels> across(static_cast<size_t>(width) * source.height);
    for (int y = 0; y < source.height; ++y) {
        for (int x = 0; x < width; ++x) {
            Channels sum = {};
            const Span& span = columns[static_cast<size_t>(x)];
            for (size_t k = 0; k < span.weights.size(); ++k) {
                const Channels pixel = Split(source.argb[static_cast<size_t>(y) * source.width + span.first + k]);
                for (size_t c = 0; c < 4; ++c)
                    sum[c] += pixel[c] * span.weights[k];
            }
            across[static_cast<size_t>(y) * width + x] = sum;
        }
    }
    IconPixels shrunk{width, height, std::vector<uint32_t>(static_cast<size_t>(width) * height)};
    for (int y = 0; y < height; ++y) {
        const Span& span = rows[static_cast<size_t>(y)];
        for (int x = 0; x < width; ++x) {
            Channels sum = {};
            for (size_t k = 0; k < span.weights.size(); ++k) {
                const Channels& part = across[(span.first + k) * width + x];
                for (size_t c = 0; c < 4; ++c)
                    sum[c] += part[c] * span.weights[k];
            }
            shrunk.argb[static_cast<size_t>(y) * width + x] = Join(sum);
        }
    }
    return shrunk;
}

}  // namespace Tessaro
