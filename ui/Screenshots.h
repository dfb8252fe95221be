#pragma once

#include <QString>

// Saves a picture of every window into a folder (main.png, map-creator.png, ...),
// for the documentation. Returns the number of pictures that could not be saved.
class Screenshots
{
public:
    static int saveAll(const QString &folder);
};
