#pragma once

#include <QString>

// The tools write only inside the folder the user chose. A map file or list
// there may be a symbolic link: one whose file lies in that folder (or below
// it) is written through (the link stays, its file is replaced); one that
// leads out of the folder, or nowhere, is never written (MapFile::WriteMap
// refuses it; so does the map list).
class FolderLinks
{
public:
    FolderLinks() = delete;

    // Why the file `path` (a name in its folder) may not be written: "it is a
    // link to X, outside its folder" or "it is a link to X, which does not
    // exist"; empty when it may.
    static QString writeProblem(const QString &path);

};
