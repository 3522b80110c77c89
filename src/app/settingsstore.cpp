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
    const QString why = settings_->status() == QSettings::FormatError
                            ? QStringLiteral("the file is damaged")
                            : QStringLiteral("it cannot be written");
    problem_ = QStringLiteral("%1 (%2).").arg(QDir::toNativeSeparators(settings_->fileName()), why);
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
