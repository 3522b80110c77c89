#include "listreorder.h"

#include <algorithm>

bool ShouldSwapTexts(const std::optional<QString>& dragged, const std::optional<QString>& under)
{
    return dragged && under && *dragged != *under;
}

ScrollBand ScrollBandAt(int y, int visibleHeight, int rowHeight)
{
    const int band = std::max(rowHeight, 1);
    if (y < band)
        return ScrollBand::Top;
    if (y >= visibleHeight - band)
        return ScrollBand::Bottom;
    return ScrollBand::None;
}

int RowToReveal(int row, int count, ScrollBand band)
{
    if (row < 1 || row > count)
        return 0;
    switch (band) {
    case ScrollBand::Top:
        return row > 1 ? row - 1 : 0;
    case ScrollBand::Bottom:
        return row < count ? row + 1 : 0;
    case ScrollBand::None:
        break;
    }
    return 0;
}
