#pragma once

#include "ui/FolderToolWindow.h"

// The window of the tool CornerMarkersRun: "OziExplorer map corner markers generator".
class CornerMarkers : public FolderToolWindow
{
    Q_OBJECT
public:
    explicit CornerMarkers(QWidget *parent = nullptr);
};
