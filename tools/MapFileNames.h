#pragma once

#include <QString>
#include <QStringList>

// Which files of a folder the map file utilities work on: a name whose text
// after its FIRST dot, upper-cased, is "MAP" ("a.map", "b.Map", "C.MAP", but
// not "x.y.map" nor "x.map.bak").
class MapFileNames
{
public:
    static bool isMapFileName(const QString &fileName);
    // The map files of a folder in FolderListing's order; `unreadable`, when
    // given, receives those whose names cannot be read (FolderListing::files).
    static QStringList list(const QString &folder, QStringList *unreadable = nullptr);
    // The continue question every utility asks after a bad file.
    static QString continueQuestion();
};
