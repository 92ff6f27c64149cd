#include "settings/preferences.h"

#include <algorithm>
#include <cmath>

std::optional<double> preferenceValue(const PreferenceKey &key, const QString &stored)
{
    bool ok = false;
    double value = 0;
    switch (key.type) {
    case PreferenceType::Text:
        return 0.0;
    case PreferenceType::Flag:
        if (stored == QLatin1String("1"))
            return 1.0;
        if (stored == QLatin1String("0"))
            return 0.0;
        return std::nullopt;
    case PreferenceType::Whole:
        value = stored.toInt(&ok);
        break;
    case PreferenceType::Number:
        // toDouble takes "nan" and "inf" as numbers.
        value = stored.toDouble(&ok);
        ok = ok && std::isfinite(value);
        break;
    }
    const bool aboveLowest = key.lowestAccepted ? value >= key.lowest : value > key.lowest;
    if (!ok || !aboveLowest || value > key.highest)
        return std::nullopt;
    return value;
}

QString preferenceText(const PreferenceKey &key, double value)
{
    const double kept = std::clamp(value, key.lowest, key.highest);
    if (!key.lowestAccepted && kept <= key.lowest)
        return key.fallback;
    switch (key.type) {
    case PreferenceType::Flag:
        return kept != 0 ? QStringLiteral("1") : QStringLiteral("0");
    case PreferenceType::Whole:
        return QString::number(std::lround(kept));
    case PreferenceType::Number:
        return QString::number(kept, 'f', key.decimals);
    case PreferenceType::Text:
        break;
    }
    return key.fallback;
}
