#pragma once

#include <QDialog>

class QPushButton;

// The About box: the program's name and version, the Qt version, and a button
// that starts the platform's system-information viewer, or shows the system's
// facts itself where none is installed.
class AboutBox : public QDialog
{
    Q_OBJECT
public:
    explicit AboutBox(QWidget *parent = nullptr);

    // The system-information viewer found on this machine, "" when none.
    static QString systemInfoViewer();
    // The facts shown when there is no viewer: OS, kernel, CPU, host, Qt.
    static QString systemFacts();

public slots:
    void showSystemInfo();
};
