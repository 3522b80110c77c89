#include "progressmath.h"

#include "apperror.h"

#include <algorithm>
#include <cmath>

namespace {

AppError divisionByZero()
{
    return {11, QStringLiteral("Division by zero")};
}

} // namespace

long long RoundHalfEven(double value)
{
    const double floor = std::floor(value);
    const double fraction = value - floor;
    auto whole = static_cast<long long>(floor);
    if (fraction > 0.5 || (fraction == 0.5 && whole % 2 != 0))
        ++whole;
    return whole;
}

int ProgressValue(int index, int count)
{
    if (count == 0)
        throw divisionByZero();
    const double value = static_cast<double>(index) / count * 100.0;
    return ShownValue(RoundHalfEven(value));
}

int ShownValue(long long value)
{
    return static_cast<int>(std::clamp<long long>(value, 0, 100));
}

std::optional<long long> CreepValue(int count, int tick, int baseValue)
{
    if (tick < kAnimationStartTick || (tick - kAnimationStartTick) % kCreepEvery != 0)
        return std::nullopt;
    if (count == 0)
        throw divisionByZero();
    const double share = 100.0 / count;
    const long long step = RoundHalfEven(share / 10.0);
    const long long limit = RoundHalfEven(baseValue + share - static_cast<double>(step));
    const long long position =
        static_cast<long long>((tick - kAnimationStartTick) / kCreepEvery) * step + baseValue;
    return std::min(position, limit);
}

QString WaitText(const QString& baseText, int tick)
{
    QString text = baseText;
    if (!text.isEmpty())
        text += QStringLiteral(", ");
    return text + QStringLiteral("Please wait.. ") + QString::number(tick - kAnimationStartTick);
}

QString FinalText(const QString& baseText)
{
    return baseText.isEmpty() ? QStringLiteral("Progress Bar") : baseText;
}
