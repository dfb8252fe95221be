#include "settings/WindowPlacement.h"

#include "settings/Settings.h"

#include <cmath>
#include <limits>

namespace {

// The text as a 16-bit integer (half-even rounding of a decimal); false when it is none.
bool toInt16(const QString &text, int &value)
{
    bool ok = false;
    const double d = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(d))
        return false;
    const double r = std::nearbyint(d);
    if (r < std::numeric_limits<qint16>::min() || r > std::numeric_limits<qint16>::max())
        return false;
    value = int(r);
    return true;
}

void readInto(const QString &key, int &field, int minimum)
{
    int v = 0;
    if (toInt16(Settings::ReadSetting(key, QString::number(field)), v) && v >= minimum)
        field = v;
}

} // namespace

void WindowPlacement::save(const QString &name) const
{
    Settings::WriteSetting(QLatin1String("Zoom") + name, maximised ? QStringLiteral("1") : QStringLiteral("0"));
    Settings::WriteSetting(QLatin1String("Left") + name, QString::number(left));
    Settings::WriteSetting(QLatin1String("Width") + name, QString::number(width));
    Settings::WriteSetting(QLatin1String("Top") + name, QString::number(top));
    Settings::WriteSetting(QLatin1String("Height") + name, QString::number(height));
}

void WindowPlacement::restore(const QString &name)
{
    constexpr int anyValue = std::numeric_limits<int>::min();
    readInto(QLatin1String("Left") + name, left, anyValue);
    readInto(QLatin1String("Top") + name, top, anyValue);
    readInto(QLatin1String("Width") + name, width, 1);
    readInto(QLatin1String("Height") + name, height, 1);

    const QString zoom = Settings::ReadSetting(QLatin1String("Zoom") + name, QString());
    int z = 0;
    if (zoom.isEmpty())
        maximised = false;
    else if (toInt16(zoom, z))
        maximised = z != 0;
}
