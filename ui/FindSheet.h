#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// "Find sheet": the sheet that holds a place, at a chosen scale. Shows its name
// (as the map creator takes names) and its corners, and copies the name.
class FindSheet : public QDialog
{
    Q_OBJECT
public:
    explicit FindSheet(QWidget *parent = nullptr);

    QString sheetName() const { return m_name; }

public slots:
    void update();
    void copyName();

private:
    QLineEdit *m_txtLat = nullptr;
    QLineEdit *m_txtLon = nullptr;
    QComboBox *m_cmbScale = nullptr;
    QLabel *m_lblName = nullptr;
    QLabel *m_lblCorners = nullptr;
    QPushButton *m_cmdCopy = nullptr;
    QString m_name;
};
