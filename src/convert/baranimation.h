#pragma once

#include <QString>

// Where a wait shows its progress; the window's bar, or a recorder in tests.
class ProgressDisplay
{
public:
    virtual ~ProgressDisplay() = default;
    virtual void setText(const QString& text) = 0;
    virtual void setValue(int value) = 0;
};

// What one wait shows on the bar, tick by tick: from the animation tick on a running count in
// the text, every so many ticks a value creeping towards the end of the file's share, and the
// base text back when the process has ended.
class BarAnimation
{
public:
    BarAnimation(ProgressDisplay& display, QString baseText, int baseValue, int count)
        : display_(display), baseText_(std::move(baseText)), baseValue_(baseValue), count_(count)
    {
    }

    void tick();
    void finish();

private:
    ProgressDisplay& display_;
    QString baseText_;
    int baseValue_;
    int count_;
    int tick_ = 0;
};
