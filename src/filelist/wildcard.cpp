#include "wildcard.h"

namespace {

// Length in code units of the character starting at index i (surrogate pairs count as one).
qsizetype characterLength(QStringView text, qsizetype i)
{
    return (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) ? 2
                                                                                              : 1;
}

} // namespace

WildcardPattern::WildcardPattern(const QString& pattern) : folded_(pattern.toCaseFolded())
{
    if (folded_.endsWith(QLatin1String(".*")))
        foldedWithoutAnyExtension_ = folded_.chopped(2);
    matchesEverything_ = folded_ == QLatin1String("*") || folded_ == QLatin1String("*.*");
}

bool WildcardPattern::matches(QStringView name) const
{
    if (matchesEverything_)
        return true;
    const QString foldedName = name.toString().toCaseFolded();
    if (matchFolded(folded_, foldedName))
        return true;
    return !foldedWithoutAnyExtension_.isNull() && !foldedName.contains(QLatin1Char('.')) &&
           matchFolded(foldedWithoutAnyExtension_, foldedName);
}

// Greedy match with one backtrack point: the last "*" seen.
bool WildcardPattern::matchFolded(QStringView pattern, QStringView name)
{
    qsizetype p = 0;
    qsizetype n = 0;
    qsizetype starP = -1;
    qsizetype starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == QLatin1Char('*')) {
            starP = ++p;
            starN = n;
        } else if (p < pattern.size() && pattern[p] == QLatin1Char('?')) {
            ++p;
            n += characterLength(name, n);
        } else if (p < pattern.size() && pattern[p] == name[n]) {
            ++p;
            ++n;
        } else if (starP >= 0) {
            p = starP;
            starN += characterLength(name, starN);
            n = starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == QLatin1Char('*'))
        ++p;
    return p == pattern.size();
}
