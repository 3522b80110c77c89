#pragma once

#include <QString>

// The product's own names and addresses, kept in one place.
namespace ProductInfo {
inline const QString kProductName = QStringLiteral("Corvenda");
inline const QString kSettingsApplication = QStringLiteral("Quenlow");
inline const QString kSettingsSection = QStringLiteral("Corvenda");
inline const QString kSupportAddress = QStringLiteral("support@corvenda.example");
inline const QString kHomePage = QStringLiteral("https://www.corvenda.example/");
} // namespace ProductInfo
