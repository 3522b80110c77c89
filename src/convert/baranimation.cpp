#include "baranimation.h"

#include "progressmath.h"

void BarAnimation::tick()
{
    ++tick_;
    if (tick_ < kAnimationStartTick)
        return;
    display_.setText(WaitText(baseText_, tick_));
    if (const auto value = CreepValue(count_, tick_, baseValue_))
        display_.setValue(ShownValue(*value));
}

void BarAnimation::finish()
{
    display_.setText(FinalText(baseText_));
}
