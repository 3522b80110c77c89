#pragma once
// What nconvert makes of a whole animation: an animated GIF or WebP, one file per step, a strip
// of all steps, or a description of the steps.
#include "animation.h"
#include "commandline.h"

#include <cstdio>
#include <string>

namespace nconv {

// Whether these options ask for more than the first frame shown.
bool wantsAnimation(const Options& options);
// Whether they write several files (named by numberedPath) rather than `output` itself.
bool writesSeveralFiles(const Options& options);

// One line per step ("step 1: frame 0, 167 ms, 32 x 32, hot spot 3,4"), then the total.
std::string describeSteps(const Animation& animation);

// All steps side by side: top to bottom when vertical, left to right otherwise.
Image stripOf(const Animation& animation, bool vertical);

// Decodes `source` whole and writes what the options ask for; -info goes to `out`.
void convertAnimation(Bytes source, const Options& options, const std::string& output,
                      std::FILE* out);

} // namespace nconv
