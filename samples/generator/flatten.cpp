#include "flatten.h"

#include <stdexcept>

namespace {

bool UsesAlpha(const IconImage& image)
{
    if (image.coding == IconImage::Coding::Png)
        return true;
    if (image.bitCount != 32)
        return false;
    for (const Rgba& c : image.colour.cells())
        if (c.a != 0)
            return true;
    return false;
}

Rgba StoredColour(const IconImage& image, int x, int y)
{
    if (image.bitCount <= 8 && image.coding == IconImage::Coding::Bmp)
        return image.palette.at(image.index.at(x, y));
    return image.colour.at(x, y);
}

} // namespace

uint8_t BlendOnWhite(uint8_t colour, uint8_t alpha)
{
    return uint8_t((unsigned(alpha) * colour + (255u - alpha) * 255u + 127u) / 255u);
}

Grid<Rgba> FlattenOnWhite(const IconImage& image)
{
    const int w = image.width(), h = image.height();
    Grid<Rgba> out(w, h);
    const bool alpha = UsesAlpha(image);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const Rgba c = StoredColour(image, x, y);
            if (alpha) {
                out.at(x, y) = {BlendOnWhite(c.r, c.a), BlendOnWhite(c.g, c.a),
                                BlendOnWhite(c.b, c.a), 255};
            } else {
                const uint8_t screen = image.andMask.at(x, y) ? 255 : 0;
                out.at(x, y) = {uint8_t(screen ^ c.r), uint8_t(screen ^ c.g), uint8_t(screen ^ c.b),
                                255};
            }
        }
    return out;
}

size_t ChosenImage(const std::vector<IconImage>& images)
{
    if (images.empty())
        throw std::invalid_argument("an icon needs at least one image");
    auto depth = [](const IconImage& i) {
        return i.coding == IconImage::Coding::Png ? 32 : i.bitCount;
    };
    size_t best = 0;
    for (size_t i = 1; i < images.size(); ++i) {
        const long area = long(images[i].width()) * images[i].height();
        const long bestArea = long(images[best].width()) * images[best].height();
        if (area > bestArea || (area == bestArea && depth(images[i]) > depth(images[best])))
            best = i;
        else if (area == bestArea && depth(images[i]) == depth(images[best]))
            throw std::invalid_argument("two images of an icon tie; a reader could take either");
    }
    return best;
}

Grid<uint8_t> OpaquePixels(const IconImage& image)
{
    const int w = image.width(), h = image.height();
    Grid<uint8_t> out(w, h);
    const bool alpha = UsesAlpha(image);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            out.at(x, y) = alpha ? (image.colour.at(x, y).a == 255) : !image.andMask.at(x, y);
    return out;
}
