#include "ui/MapCreator.h"

#include "frame/FrameFinder.h"
#include "settings/RecentFolders.h"
#include "settings/Settings.h"
#include "sheet/Global.h"
#include "tools/MapCreatorGuess.h"
#include "tools/MapCreatorRun.h"
#include "ui/FolderDrop.h"
#include "ui/GetPath.h"
#include "ui/ResultsList.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const QString kImagePattern = QStringLiteral("*.jpg;*.bmp;*.png;*.gif;*.TIF;*.KAP;*.CAP;*.OZF;*.ECW;*.SID");

QString readSetting(const QString &key, const QString &def)
{
    return Settings::ReadSetting(key, def);
}

// The point count last used at a scale (thousands), or the scale's default.
QString storedPoints(int scale)
{
    return readSetting(QStringLiteral("points_") + Global::scaleText(scale), MapCreatorGuess::defaultPoints(scale));
}

template <typename W>
W *named(W *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QComboBox *editableCombo(QWidget *parent, const char *name, const QStringList &items)
{
    auto *combo = named(new QComboBox(parent), name);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->addItems(items);
    return combo;
}

} // namespace

MapCreator::MapCreator(QWidget *parent)
    : ToolWindow(QStringLiteral("MapCreator"), parent)
{
    setObjectName(QStringLiteral("MapCreator"));
    setWindowTitle(QStringLiteral("Form1"));

    auto *label1 = named(new QLabel(tr("Path to map images"), this), "Label1");

    // Input folder.
    m_frame1 = named(new QGroupBox(tr("Map images path: "), this), "Frame1");
    m_txtPathIn = named(new QLineEdit(m_frame1), "txtPathIn");
    m_txtPathIn->setMinimumWidth(320);
    auto *browseIn = named(new QPushButton(tr("Browse"), m_frame1), "cmdBrowseIn");
    browseIn->setAutoDefault(false);
    auto *frame1Layout = new QHBoxLayout(m_frame1);
    frame1Layout->addWidget(m_txtPathIn, 1);
    frame1Layout->addWidget(browseIn);

    // Output folder.
    m_frame2 = named(new QGroupBox(tr("Map files path: "), this), "Frame2");
    m_txtPathOut = named(new QLineEdit(m_frame2), "txtPathOut");
    auto *browseOut = named(new QPushButton(tr("Browse"), m_frame2), "cmdBrowseOut");
    browseOut->setAutoDefault(false);
    m_chkSkip = named(new QCheckBox(tr("skip if exists"), m_frame2), "chkSkip");
    auto *frame2Layout = new QGridLayout(m_frame2);
    frame2Layout->addWidget(m_txtPathOut, 0, 0);
    frame2Layout->addWidget(browseOut, 0, 1);
    m_chkFindFrame = named(new QCheckBox(tr("Find the sheet frame"), m_frame2), "chkFindFrame");
    auto *checks = new QHBoxLayout;
    checks->addWidget(m_chkSkip);
    checks->addWidget(m_chkFindFrame);
    checks->addStretch(1);
    frame2Layout->addLayout(checks, 1, 0, 1, 2);
    frame2Layout->setColumnStretch(0, 1);

    // Scale, mask, points and margins.
    m_optionsPanel = new QWidget(this);
    m_cmbScale = editableCombo(m_optionsPanel, "cmbScale",
                               {tr("By name"), QStringLiteral("1:1M"), QStringLiteral("1:500K"),
                                QStringLiteral("1:200K"), QStringLiteral("1:100K"), QStringLiteral("1:50K"),
                                QStringLiteral("1:25K"), QStringLiteral("1:10K")});
    m_cmbScale->setItemData(0, tr("Each sheet at the scale its own name reads as, with the point count of "
                                  "that scale: a folder of mixed scales in one run"),
                            Qt::ToolTipRole);
    m_cmbName = editableCombo(m_optionsPanel, "cmbName", {QStringLiteral("RCC-LLL"), QStringLiteral("R-CC-LLL")});
    m_cmbName->setToolTip(tr("R - Row, C - Column, L - List number"));
    m_cmbPoints = editableCombo(m_optionsPanel, "cmbPoints",
                                {QStringLiteral("4"), QStringLiteral("5"), QStringLiteral("9")});
    m_txtMTop = named(new QLineEdit(m_optionsPanel), "txtMTop");
    m_txtMBottom = named(new QLineEdit(m_optionsPanel), "txtMBottom");
    m_txtMSide = named(new QLineEdit(m_optionsPanel), "txtMSide");
    for (QLineEdit *margin : {m_txtMTop, m_txtMBottom, m_txtMSide})
        margin->setMaximumWidth(80);

    auto *options = new QGridLayout(m_optionsPanel);
    options->setContentsMargins(0, 0, 0, 0);
    options->addWidget(named(new QLabel(tr("Map Scale"), m_optionsPanel), "Label2"), 0, 0);
    options->addWidget(m_cmbScale, 0, 1);
    options->addWidget(named(new QLabel(tr("File name mask"), m_optionsPanel), "Label3"), 1, 0);
    options->addWidget(m_cmbName, 1, 1);
    options->addWidget(named(new QLabel(tr("Calibration Point"), m_optionsPanel), "Label7"), 2, 0);
    options->addWidget(m_cmbPoints, 2, 1);
    m_cmbEncoding = named(new QComboBox(m_optionsPanel), "cmbEncoding");
    m_cmbEncoding->addItem(QStringLiteral("Windows-1251"), MapTextEncoding::name(MapTextEncoding::Windows1251));
    m_cmbEncoding->addItem(QStringLiteral("UTF-8"), MapTextEncoding::name(MapTextEncoding::Utf8));
    options->addWidget(named(new QLabel(tr("Map text"), m_optionsPanel), "lblEncoding"), 3, 0);
    options->addWidget(m_cmbEncoding, 3, 1);
    options->addWidget(named(new QLabel(tr("Top margin %"), m_optionsPanel), "Label4"), 0, 3);
    options->addWidget(m_txtMTop, 0, 4);
    options->addWidget(named(new QLabel(tr("Bottom margin %"), m_optionsPanel), "Label5"), 1, 3);
    options->addWidget(m_txtMBottom, 1, 4);
    options->addWidget(named(new QLabel(tr("Side margins %"), m_optionsPanel), "Label6"), 2, 3);
    options->addWidget(m_txtMSide, 2, 4);
    options->setColumnMinimumWidth(2, 24);
    options->setColumnStretch(1, 1);

    // Grid.
    m_frameGrid = named(new QGroupBox(tr(" Grid "), this), "frameGrid");
    m_optGridLL = named(new QRadioButton(tr("Lat/Lon"), m_frameGrid), "optGridLL");
    m_optGridM = named(new QRadioButton(tr("Meters"), m_frameGrid), "optGridM");
    m_optGridOff = named(new QRadioButton(tr("Off"), m_frameGrid), "optGridOff");
    auto *gridLayout = new QHBoxLayout(m_frameGrid);
    gridLayout->addWidget(m_optGridLL);
    gridLayout->addWidget(m_optGridM);
    gridLayout->addWidget(m_optGridOff);
    gridLayout->addStretch(1);

    // Progress.
    auto *frame3 = named(new QGroupBox(tr(" Doing now: "), this), "Frame3");
    m_txtSay = named(new QLineEdit(frame3), "txtSay");
    m_txtSay->setReadOnly(true);
    auto *frame3Layout = new QVBoxLayout(frame3);
    frame3Layout->addWidget(m_txtSay);

    m_generate = named(new QPushButton(tr("Generate"), this), "Command1");
    m_generate->setAutoDefault(false);
    m_cancel = named(new QPushButton(tr("Cancel"), this), "Command2");
    m_cancel->setAutoDefault(false);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(progressBar(), 1);
    buttons->addWidget(progressText());
    buttons->addStretch(0); // keeps the buttons on the right while the bar is hidden
    buttons->addWidget(m_generate);
    buttons->addWidget(stopButton());
    buttons->addWidget(m_cancel);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label1);
    layout->addWidget(m_frame1);
    layout->addWidget(m_frame2);
    layout->addWidget(m_optionsPanel);
    layout->addWidget(m_frameGrid);
    layout->addWidget(frame3);
    layout->addWidget(resultsList(), 1);
    layout->addLayout(buttons);

    // Path change: the input folder is copied into the output folder. A typed
    // or pasted folder is guessed from once the typing has stopped.
    m_guessTimer = new QTimer(this);
    m_guessTimer->setSingleShot(true);
    m_guessTimer->setInterval(GuessDelayMs);
    connect(m_guessTimer, &QTimer::timeout, this, &MapCreator::guessFromInFolder);
    connect(m_txtPathIn, &QLineEdit::textChanged, this, [this](const QString &text) {
        m_inFolder = text;
        m_txtPathOut->setText(text);
        m_guessTimer->start();
    });
    connect(m_txtPathOut, &QLineEdit::textChanged, this, [this](const QString &text) {
        m_outFolder = text;
    });
    for (QComboBox *guessed : {m_cmbScale, m_cmbName, m_cmbPoints})
        connect(guessed, &QComboBox::currentTextChanged, this, &MapCreator::optionSetByHand);
    connect(m_cmbScale, &QComboBox::currentTextChanged, this, &MapCreator::scaleChanged);
    for (QRadioButton *guessed : {m_optGridLL, m_optGridM, m_optGridOff})
        connect(guessed, &QRadioButton::toggled, this, &MapCreator::optionSetByHand);
    connect(m_optGridLL, &QRadioButton::clicked, this, [this] { m_gridMode = 2; });
    connect(m_optGridM, &QRadioButton::clicked, this, [this] { m_gridMode = 1; });
    connect(m_optGridOff, &QRadioButton::clicked, this, [this] { m_gridMode = 0; });
    connect(browseIn, &QPushButton::clicked, this, &MapCreator::browseIn);
    connect(browseOut, &QPushButton::clicked, this, &MapCreator::browseOut);
    connect(m_generate, &QPushButton::clicked, this, &MapCreator::generate);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);

    // Load.
    RestoreFormPlacement();
    m_cmbPoints->setCurrentText(QStringLiteral("5"));
    // "By name" comes back once chosen; any other scale starts at 1:1M.
    setScaleText(readSetting(QStringLiteral("scaleByName"), QStringLiteral("0")).trimmed() == QLatin1String("1")
                     ? QStringLiteral("auto")
                     : QStringLiteral("1:1M"));
    scaleChanged(); // also when "By name", the first item, was shown already
    m_scaleGuessed = false;
    m_cmbName->setCurrentText(QStringLiteral("RCC-LLL"));
    setGridMode(2);
    bool ok = false;
    m_chkSkip->setChecked(readSetting(QStringLiteral("chkSkip"), QStringLiteral("0")).trimmed().toDouble(&ok) != 0 && ok);
    m_chkFindFrame->setChecked(
        readSetting(QStringLiteral("chkFindFrame"), QStringLiteral("0")).trimmed().toDouble(&ok) != 0 && ok);
    m_txtMTop->setText(readSetting(QStringLiteral("txtMTop"), QStringLiteral("5")));
    m_txtMBottom->setText(readSetting(QStringLiteral("txtMBottom"), QStringLiteral("5")));
    m_txtMSide->setText(readSetting(QStringLiteral("txtMSide"), QStringLiteral("3")));
    {
        MapTextEncoding::Kind encoding = MapTextEncoding::Windows1251;
        MapTextEncoding::fromName(readSetting(QStringLiteral("encoding"), QStringLiteral("windows-1251")), encoding);
        m_cmbEncoding->setCurrentIndex(encoding == MapTextEncoding::Utf8 ? 1 : 0);
    }
    const QString last = Settings::LastPath();
    m_txtPathOut->setText(last.isEmpty() ? QDir::toNativeSeparators(QDir::currentPath()) : last);
    m_txtPathIn->setText(readSetting(QStringLiteral("PathIn"), m_txtPathOut->text()));
    // A separate output folder of the last run comes back over the input's copy.
    const QString pathOut = readSetting(QStringLiteral("PathOut"), QString());
    if (!pathOut.isEmpty())
        m_txtPathOut->setText(pathOut);
    m_inFolder = m_txtPathIn->text();
    m_outFolder = m_txtPathOut->text();
    m_guessTimer->stop();
    m_guessedFolder = QDir::fromNativeSeparators(m_inFolder);
    setByFolder(m_guessedFolder);

    // A folder dropped onto the window is its input folder; onto the output box, its output folder.
    auto *drop = new FolderDrop(this, m_txtPathIn);
    drop->addBox(m_txtPathOut);
    connect(drop, &FolderDrop::folderDropped, this, [this](const QString &, QLineEdit *box) {
        if (box == m_txtPathIn)
            guessFromInFolder();
    });
}

void MapCreator::setInFolder(const QString &folder)
{
    if (isRunning())
        return;
    m_txtPathIn->setText(folder);
    guessFromInFolder();
}

void MapCreator::guessFromInFolder()
{
    m_guessTimer->stop();
    if (isRunning())
        return;
    const QString folder = QDir::fromNativeSeparators(m_txtPathIn->text());
    if (folder.trimmed().isEmpty() || !QFileInfo(folder).isDir())
        return;
    if (!m_guessedFolder.isEmpty() && RecentFolders::samePath(folder, m_guessedFolder))
        return;
    m_guessedFolder = folder;
    setByFolder(folder);
}

void MapCreator::optionSetByHand()
{
    if (m_guessing || !m_guessTimer->isActive())
        return;
    m_guessTimer->stop();
    m_guessedFolder = QDir::fromNativeSeparators(m_txtPathIn->text());
}

void MapCreator::setGridMode(int mode)
{
    m_gridMode = mode;
    m_optGridLL->setChecked(mode == 2);
    m_optGridM->setChecked(mode == 1);
    m_optGridOff->setChecked(mode == 0);
}

bool MapCreator::scaleByName() const
{
    return m_cmbScale->currentText() == m_cmbScale->itemText(0);
}

void MapCreator::setScaleText(const QString &scale)
{
    if (scale == QLatin1String("auto"))
        m_cmbScale->setCurrentIndex(0);
    else
        m_cmbScale->setCurrentText(scale);
}

void MapCreator::scaleChanged()
{
    if (!m_guessing)
        m_scaleGuessed = false;
    const bool byName = scaleByName();
    // Each name has its own mask then.
    m_cmbName->setEnabled(!byName);
    if (byName == !m_cmbPoints->isEnabledTo(m_optionsPanel))
        return;
    m_cmbPoints->setEnabled(!byName);
    m_cmbPoints->lineEdit()->setPlaceholderText(byName ? tr("by scale") : QString());
    if (byName) {
        m_cmbPoints->setCurrentText(QString());
        m_cmbPoints->setToolTip(tr("By name: each sheet takes the point count last used at its scale "
                                   "(4 at 1:50K and below, 5 above)"));
    } else {
        const QString scale = m_cmbScale->currentText();
        m_cmbPoints->setCurrentText(readSetting(QStringLiteral("points_") + scale,
                                                MapCreatorGuess::defaultPoints(Global::scaleFromText(scale))));
        m_cmbPoints->setToolTip(QString());
    }
}

MapCreatorOptions MapCreator::options() const
{
    MapCreatorOptions o;
    o.inFolder = QDir::fromNativeSeparators(m_inFolder);
    o.outFolder = QDir::fromNativeSeparators(m_outFolder);
    o.scaleText = scaleByName() ? QStringLiteral("auto") : m_cmbScale->currentText();
    o.scaleGuessed = m_scaleGuessed;
    o.maskText = m_cmbName->currentText();
    o.pointsText = m_cmbPoints->currentText();
    for (int scale : {1000, 500, 200, 100, 50, 25, 10})
        o.pointsOfScale.insert(scale, storedPoints(scale));
    o.gridMode = m_gridMode;
    o.marginTop = m_txtMTop->text();
    o.marginBottom = m_txtMBottom->text();
    o.marginSide = m_txtMSide->text();
    o.skipExisting = m_chkSkip->isChecked();
    MapTextEncoding::fromName(m_cmbEncoding->currentData().toString(), o.encoding);
    if (m_chkFindFrame->isChecked())
        o.findFrame = FrameFinder::cornerSource();
    return o;
}

void MapCreator::setByImageName(const QString &fileName)
{
    // Options set from a name by a caller win over a typed folder's guess still waiting.
    const bool fromCaller = !m_guessing;
    {
        const QScopedValueRollback<bool> guessing(m_guessing, true);
        MapCreatorOptions o = options();
        MapCreatorGuess::setByImageName(fileName, o);
        showGuess(o);
    }
    if (fromCaller)
        optionSetByHand();
}

void MapCreator::setByFolder(const QString &folder)
{
    const bool fromCaller = !m_guessing;
    {
        const QScopedValueRollback<bool> guessing(m_guessing, true);
        MapCreatorOptions o = options();
        m_firstImage = MapCreatorGuess::setByFolder(folder, o);
        showGuess(o);
    }
    if (fromCaller)
        optionSetByHand();
}

void MapCreator::showGuess(const MapCreatorOptions &o)
{
    setScaleText(o.scaleText);
    m_scaleGuessed = o.scaleGuessed;
    m_cmbName->setCurrentText(o.maskText);
    if (!scaleByName())
        m_cmbPoints->setCurrentText(o.pointsText);
    setGridMode(o.gridMode);
}

void MapCreator::browseIn()
{
    QString folder, first;
    const bool chosen = GetPath::choose(this, tr("Select directory with map images"), kImagePattern,
                                        m_txtPathIn->text(), folder, first);
    if (chosen) {
        m_inFolder = QDir::toNativeSeparators(folder);
        Settings::setLastPath(m_inFolder);
        m_firstImage = first;
    }
    m_txtPathIn->setText(m_inFolder);
    if (chosen)
        setByFolder(folder);
    else
        setByImageName(m_firstImage);
    if (chosen) {
        // Guessed from the chooser's first file: the chosen folder is not guessed again.
        m_guessTimer->stop();
        m_guessedFolder = folder;
    }
}

void MapCreator::browseOut()
{
    QString folder, first;
    if (GetPath::choose(this, tr("Select directory for saving OziExplorer map-files"),
                        QStringLiteral("*.*"), m_txtPathOut->text(), folder, first)) {
        m_outFolder = QDir::toNativeSeparators(folder);
    }
    m_txtPathOut->setText(m_outFolder);
}

void MapCreator::generate()
{
    if (isRunning())
        return;
    // A folder typed or pasted just before: its guess is not left for after the run.
    if (m_guessTimer->isActive())
        guessFromInFolder();
    Settings::WriteSetting(QStringLiteral("Path"), m_txtPathOut->text());
    Settings::WriteSetting(QStringLiteral("PathIn"), m_txtPathIn->text());
    Settings::WriteSetting(QStringLiteral("PathOut"), m_txtPathOut->text());
    RecentFolders::add(m_txtPathIn->text());
    Settings::WriteSetting(QStringLiteral("chkSkip"), m_chkSkip->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
    Settings::WriteSetting(QStringLiteral("chkFindFrame"),
                           m_chkFindFrame->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
    Settings::WriteSetting(QStringLiteral("txtMTop"), m_txtMTop->text());
    Settings::WriteSetting(QStringLiteral("txtMBottom"), m_txtMBottom->text());
    Settings::WriteSetting(QStringLiteral("txtMSide"), m_txtMSide->text());
    // "By name" is kept for the next time; it has no one point count to keep.
    const QString byName = scaleByName() ? QStringLiteral("1") : QStringLiteral("0");
    if (readSetting(QStringLiteral("scaleByName"), QStringLiteral("0")) != byName)
        Settings::WriteSetting(QStringLiteral("scaleByName"), byName);
    if (!scaleByName())
        Settings::WriteSetting(QStringLiteral("points_") + m_cmbScale->currentText(), m_cmbPoints->currentText());
    // The map text encoding is stored once it has been chosen.
    const QString encoding = m_cmbEncoding->currentData().toString();
    if (readSetting(QStringLiteral("encoding"), QStringLiteral("windows-1251")) != encoding)
        Settings::WriteSetting(QStringLiteral("encoding"), encoding);

    const MapCreatorOptions o = options();
    startRun([o](RunObserver &observer) { return MapCreatorRun::run(o, observer); });
}

void MapCreator::setControlsEnabled(bool enabled)
{
    for (QWidget *w : std::initializer_list<QWidget *>{m_frame1, m_frame2, m_optionsPanel, m_frameGrid, m_generate})
        w->setEnabled(enabled);
}

void MapCreator::showStatus(const QString &text)
{
    m_txtSay->setText(text);
}
