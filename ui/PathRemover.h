#pragma once

#include "ui/FolderToolWindow.h"

// The window of the tool PathRemoverRun: "OziExplorer map image path remover".
class PathRemover : public FolderToolWindow
{
    Q_OBJECT
public:
    explicit PathRemover(QWidget *parent = nullptr);
};
