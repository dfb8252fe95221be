#pragma once

#include <QMainWindow>

// The main window: the Utility menu that opens each tool's window, and the About box.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit MainWindow(QWidget *parent = nullptr);
};
