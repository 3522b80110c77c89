#pragma once

#include "anifile.h"

#include <string>

// The sample animated cursors.
Animation HourglassAnimation(); // 1-bit with inverting sand; "seq " with repeats, "rate", INFO
Animation SpinnerAnimation();   // 32-bit alpha; icon frames; INFO before "anih"
Animation ArrowAnimation();     // frames of 16, 32 and 48 pixels, 48 in 8 and 32 bits
Animation PulseAnimation();     // 8-bit with a short palette; sequence begins at frame 3
Animation TrafficAnimation();   // 4-bit VGA palette; repeated steps
Animation ClockAnimation();     // 24-bit with AND mask; "rate"
Animation SunAnimation();       // 256x256 PNG-coded frames beside 32x32 bitmaps; icon frames
Animation PencilAnimation();    // 32-bit whose alpha is all zero, with inverting pixels
Animation BusyAnimation();      // 48x48 32-bit with a soft shadow; steps of 0, 1 and 2 jiffies

// Pieces the pointer files and the test files reuse.
Grid<Rgba> DrawSun(int size, int frame);
Grid<Rgba> DrawArrow(int size, Rgba fill);

// The pointer files beside the program and the application icon (resources/).
std::vector<IconImage> HandCursor();
std::vector<IconImage> DragIcon();
Grid<Rgba> DrawAppIcon(int size);
// The same drawing as a scalable picture for the icon theme.
std::string AppIconSvg();
