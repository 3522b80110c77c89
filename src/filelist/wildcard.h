#pragma once

#include <QString>
#include <QStringView>

// A file-name pattern as the Windows listing matches it: "*" any run of characters, "?" any one
// character, everything else literal, without regard to case. A trailing ".*" also matches names
// without an extension, so "*.*" matches every name.
class WildcardPattern
{
public:
    explicit WildcardPattern(const QString& pattern);

    bool matches(QStringView name) const;

private:
    static bool matchFolded(QStringView pattern, QStringView name);

    QString folded_;
    // The pattern without its trailing ".*", when it has one.
    QString foldedWithoutAnyExtension_;
    bool matchesEverything_ = false;
};
