#pragma once

#include "tools/MapCreatorOptions.h"
#include "ui/ToolWindow.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTimer;

// The map creator's window: the folders and options of a run, guessed from the
// first image of the input folder, kept in the settings file by each run.
class MapCreator : public ToolWindow
{
    Q_OBJECT
public:
    explicit MapCreator(QWidget *parent = nullptr);

    // The run's options as the controls show them.
    MapCreatorOptions options() const;
    int gridMode() const { return m_gridMode; }
    QString inFolder() const { return m_inFolder; }
    QString outFolder() const { return m_outFolder; }
    QString firstImage() const { return m_firstImage; }

    // Sets scale, grid, point count and mask from a sheet name (the settings give the points).
    void setByImageName(const QString &fileName);
    // As setByImageName() from the folder's first image; "By name" when the
    // folder's first names differ in scale.
    void setByFolder(const QString &folder);
    // Whether the scale list shows its first item, "By name": each file at
    // the scale its own name reads as.
    bool scaleByName() const;

    // Makes `folder` the input folder (and so the output folder) and guesses the
    // options from its first image at once, as a drop onto the window does.
    // Nothing happens during a run.
    void setInFolder(const QString &folder);

    // How long the input folder box waits after the last keystroke before it guesses.
    static constexpr int GuessDelayMs = 400;

public slots:
    void browseIn();  // cmdBrowseIn
    void browseOut(); // cmdBrowseOut
    void generate();  // Command1

protected:
    void setControlsEnabled(bool enabled) override;
    void showStatus(const QString &text) override;

private:
    void setGridMode(int mode);
    // Shows a scale text, or "By name" for "auto".
    void setScaleText(const QString &scale);
    // "By name" has no one point count: each sheet takes the one of its scale.
    void scaleChanged();
    // Shows options guessed from a folder or a name.
    void showGuess(const MapCreatorOptions &o);
    // Guesses the options from the first image of the input folder, unless a
    // run goes on, the folder does not exist or it was the last one guessed.
    void guessFromInFolder();
    // An option set by hand while a typed folder waits for its guess: the hand wins.
    void optionSetByHand();

    QString m_inFolder;
    QString m_outFolder;
    QString m_firstImage;
    int m_gridMode = 2;
    QString m_guessedFolder; // the input folder the options were last guessed from
    bool m_guessing = false;  // the options are being set from a name, not by hand
    bool m_scaleGuessed = false; // the scale shown was guessed from the folder, not chosen
    QTimer *m_guessTimer = nullptr;

    QGroupBox *m_frame1 = nullptr;
    QGroupBox *m_frame2 = nullptr;
    QGroupBox *m_frameGrid = nullptr;
    QWidget *m_optionsPanel = nullptr;
    QLineEdit *m_txtPathIn = nullptr;
    QLineEdit *m_txtPathOut = nullptr;
    QCheckBox *m_chkSkip = nullptr;
    QCheckBox *m_chkFindFrame = nullptr;
    QComboBox *m_cmbScale = nullptr;
    QComboBox *m_cmbName = nullptr;
    QComboBox *m_cmbPoints = nullptr;
    QComboBox *m_cmbEncoding = nullptr; // "Map text": encoding of new map files (setting "encoding")
    QLineEdit *m_txtMTop = nullptr;
    QLineEdit *m_txtMBottom = nullptr;
    QLineEdit *m_txtMSide = nullptr;
    QRadioButton *m_optGridLL = nullptr;
    QRadioButton *m_optGridM = nullptr;
    QRadioButton *m_optGridOff = nullptr;
    QLineEdit *m_txtSay = nullptr;
    QPushButton *m_generate = nullptr;
    QPushButton *m_cancel = nullptr;
};
