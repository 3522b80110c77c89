#pragma once

#include <QString>
#include <memory>
#include <optional>

class QSettings;

// The user's choices: one text value per key under the application "Quenlow", section
// "Corvenda". Every write reaches the disk at once, so ending the program loses nothing.
class SettingsStore
{
public:
    // The per-user store (the registry on Windows, the per-user config file elsewhere).
    SettingsStore();
    // A store in the given INI file, for tests.
    explicit SettingsStore(const QString& iniFile);
    ~SettingsStore();
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    QString read(const QString& key, const QString& defaultText) const;
    // A value that cannot be saved (an unwritable or damaged file, a read-only home) is kept for
    // this session only; the first such problem waits to be told once.
    void write(const QString& key, const QString& text);
    // What went wrong saving a value, as a sentence for the user, the first time it is asked after
    // a failure; nothing after.
    std::optional<QString> takeUnreportedProblem();

    QString fileName() const;

private:
    std::unique_ptr<QSettings> settings_;
    std::optional<QString> problem_;
    bool problemTold_ = false;
};

// Text forms of the stored values.
QString BooleanText(bool value);
// Accepts "True", "False" (any case) and numeric text, non-zero being true. Throws AppError
// (type mismatch) for anything else.
bool ToBoolean(const QString& text);
// Decimal text to a 32-bit integer, halves rounding to even. Throws AppError (type mismatch, or
// overflow beyond the 32-bit range).
int ToInt32(const QString& text);

// Stored values as the window takes them at start: a value that does not convert or is out of
// range gives the default, without a word (the file may have been edited by hand or damaged).
bool StoredBoolean(const QString& text, bool fallback);
int StoredInteger(const QString& text, int lowest, int highest, int fallback);
