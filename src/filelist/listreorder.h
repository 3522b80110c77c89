#pragma once

#include <QString>
#include <optional>

// Moving a file in the list by dragging: the dragged text and the text under the cursor change
// places, one mouse move at a time. Rows are counted from 1; 0 means "no item".

// Whether a move swaps the two texts: both items exist and their texts differ (exact,
// case-sensitive), so two items holding the same path never swap.
bool ShouldSwapTexts(const std::optional<QString>& dragged, const std::optional<QString>& under);

// Where the cursor stands in the list's visible area during a drag.
enum class ScrollBand { None, Top, Bottom };

// The top band is the first row height of the visible area (and anything above it), the bottom
// band the last row height (and anything below it); where the two overlap, the top one counts.
ScrollBand ScrollBandAt(int y, int visibleHeight, int rowHeight);

// The row to scroll into view after a swap onto row of count rows: the one above in the top band,
// the one below in the bottom band, 0 when there is none or the cursor is between the bands.
int RowToReveal(int row, int count, ScrollBand band);
