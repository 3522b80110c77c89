#include "settingsstore.h"

#include "apperror.h"
#include "productinfo.h"

#include <QDir>
#include <QSettings>
#include <cmath>
#include <limits>

SettingsStore::SettingsStore()
    : settings_(std::make_unique<QSettings>(ProductInfo::kSettingsApplication,
                                            ProductInfo::kSettingsSection))
{
}

SettingsStore::SettingsStore(const QString& iniFile)
    : settings_(std::make_unique<QSettings>(iniFile, QSettings::IniFormat))
{
}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::read(const QString& key, const QString& defaultText) const
{
    const QVariant value = settings_->value(key);
    return value.isValid() ? value.toString() : defaultText;
}

void SettingsStore::write(const QString& key, const QString& text)
{
    settings_->setValue(key, text);
    settings_->sync();
    if (settings_->status() == QSettings::NoError || problem_)
        return;
    const QString file = QDir::toNativeSeparators(settings_->fileName());
    // A damaged file is written anew with what could be read of it and the new value.
    problem_ = settings_->status() == QSettings::FormatError
                   ? QStringLiteral("Your settings file %1 was damaged. It has been written again "
                                    "with your choices; those that could not be read are back at "
                                    "their defaults.")
                         .arg(file)
                   : QStringLiteral("Your settings could not be saved: %1 (it cannot be written). "
                                    "Your choices hold until the program ends.")
                         .arg(file);
}

std::optional<QString> SettingsStore::takeUnreportedProblem()
{
    if (!problem_ || problemTold_)
        return std::nullopt;
    problemTold_ = true;
    return problem_;
}

QString SettingsStore::fileName() const
{
    return settings_->fileName();
}

QString BooleanText(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

bool ToBoolean(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (trimmed.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    bool ok = false;
    const double number = trimmed.toDouble(&ok);
    if (!ok)
        throw AppError::typeMismatch();
    return number != 0.0;
}

int ToInt32(const QString& text)
{
    bool ok = false;
    const double number = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(number))
        throw AppError::typeMismatch();
    const double rounded = std::nearbyint(number); // default rounding: halves to even
    if (rounded < std::numeric_limits<int>::min() || rounded > std::numeric_limits<int>::max())
        throw AppError::overflow();
    return static_cast<int>(rounded);
}

bool StoredBoolean(const QString& text, bool fallback)
{
    try {
        return ToBoolean(text);
    } catch (const AppError&) {
        return fallback;
    }
}

int StoredInteger(const QString& text, int lowest, int highest, int fallback)
{
    try {
        const int value = ToInt32(text);
        return value >= lowest && value <= highest ? value : fallback;
    } catch (const AppError&) {
        return fallback;
    }
}
