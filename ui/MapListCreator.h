#pragma once

#include "ui/FolderToolWindow.h"

// The window of the tool MapListRun: "OziExplorer map list creator".
class MapListCreator : public FolderToolWindow
{
    Q_OBJECT
public:
    explicit MapListCreator(QWidget *parent = nullptr);
};
