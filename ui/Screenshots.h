#pragma once

#include <QString>

// Saves a picture of every window into a folder (main.png, map-creator.png, ...),
// for the documentation, in `language` ("en" or "ru"). Returns the number of
// pictures that could not be saved (and 1 for a language that cannot be loaded).
class Screenshots
{
public:
    static int saveAll(const QString &folder, const QString &language = QStringLiteral("en"));
};
