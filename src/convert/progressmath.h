#pragma once

#include <QString>
#include <optional>

// Rounds to the nearest whole number, halves to the even neighbour (2.5 -> 2, 3.5 -> 4).
long long RoundHalfEven(double value);

// The bar's value before file i of count starts: the share of files done once it is done,
// as a whole number. Throws AppError (division by zero) for an empty count.
int ProgressValue(int index, int count);

// The window's bar runs from 0 to 100; larger values show as full.
int ShownValue(long long value);

// The ticks of one wait: the text animation starts at this tick, the value creeps every
// kCreepEvery ticks after it.
inline constexpr int kAnimationStartTick = 50;
inline constexpr int kCreepEvery = 150;

// The value the bar creeps to at a tick of a wait, or nothing when the tick moves no value.
// Every kCreepEvery ticks the value grows by one tenth of a file's share (rounded), up to one
// file's share less one step above the base value. The result may pass 100.
std::optional<long long> CreepValue(int count, int tick, int baseValue);

// The bar's text at a tick from kAnimationStartTick on: the base text, ", " when it is not
// empty, "Please wait.. " and the ticks since the animation started.
QString WaitText(const QString& baseText, int tick);

// The bar's text once the process has ended.
QString FinalText(const QString& baseText);
