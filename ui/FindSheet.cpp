#include "ui/FindSheet.h"

#include "sheet/SheetGeometry.h"
#include "sheet/Global.h"
#include "sheet/SheetLocator.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// A decimal degree text; a comma is taken for the decimal point as well.
bool degrees(const QString &text, double &value)
{
    bool ok = false;
    value = QString(text).replace(QLatin1Char(','), QLatin1Char('.')).trimmed().toDouble(&ok);
    return ok;
}

QString corner(double lat, double lon)
{
    return QStringLiteral("%1, %2").arg(lat, 0, 'f', 6).arg(lon, 0, 'f', 6);
}

} // namespace

FindSheet::FindSheet(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FindSheet"));
    setWindowTitle(tr("Find sheet"));

    m_txtLat = new QLineEdit(this);
    m_txtLat->setObjectName(QStringLiteral("txtLat"));
    m_txtLat->setPlaceholderText(tr("decimal degrees, south negative"));
    m_txtLon = new QLineEdit(this);
    m_txtLon->setObjectName(QStringLiteral("txtLon"));
    m_txtLon->setPlaceholderText(tr("decimal degrees, west negative"));
    m_cmbScale = new QComboBox(this);
    m_cmbScale->setObjectName(QStringLiteral("cmbScale"));
    for (int scale : {1000, 500, 200, 100, 50, 25, 10})
        m_cmbScale->addItem(Global::scaleText(scale), scale);
    m_cmbScale->setCurrentIndex(3); // 1:100K
    m_lblName = new QLabel(this);
    m_lblName->setObjectName(QStringLiteral("lblName"));
    m_lblName->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_lblCorners = new QLabel(this);
    m_lblCorners->setObjectName(QStringLiteral("lblCorners"));
    m_lblCorners->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_lblCorners->setWordWrap(true);

    auto *form = new QFormLayout;
    form->addRow(tr("Latitude"), m_txtLat);
    form->addRow(tr("Longitude"), m_txtLon);
    form->addRow(tr("Map Scale"), m_cmbScale);
    form->addRow(tr("Sheet"), m_lblName);
    form->addRow(tr("Corners"), m_lblCorners);

    auto *buttons = new QDialogButtonBox(this);
    m_cmdCopy = buttons->addButton(tr("Copy name"), QDialogButtonBox::ActionRole);
    m_cmdCopy->setObjectName(QStringLiteral("cmdCopy"));
    QPushButton *close = buttons->addButton(QDialogButtonBox::Close);
    close->setObjectName(QStringLiteral("cmdClose"));
    connect(m_cmdCopy, &QPushButton::clicked, this, &FindSheet::copyName);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);

    connect(m_txtLat, &QLineEdit::textChanged, this, &FindSheet::update);
    connect(m_txtLon, &QLineEdit::textChanged, this, &FindSheet::update);
    connect(m_cmbScale, &QComboBox::currentIndexChanged, this, &FindSheet::update);
    update();
}

void FindSheet::update()
{
    m_name.clear();
    double lat = 0;
    double lon = 0;
    if (m_txtLat->text().trimmed().isEmpty() || m_txtLon->text().trimmed().isEmpty()) {
        m_lblName->setText(tr("Enter a latitude and a longitude"));
        m_lblCorners->clear();
    } else if (!degrees(m_txtLat->text(), lat) || !degrees(m_txtLon->text(), lon)) {
        m_lblName->setText(tr("Latitude and longitude are decimal degrees, for example 55.75 and 37.62"));
        m_lblCorners->clear();
    } else {
        const SheetLocator::Result r = SheetLocator::locate(lat, lon, m_cmbScale->currentData().toInt());
        if (!r.ok()) {
            m_lblName->setText(r.error);
            m_lblCorners->clear();
        } else {
            m_name = r.name;
            m_lblName->setText(r.name);
            const SheetFields &f = r.fields;
            m_lblCorners->setText(
                tr("north-west %1\nnorth-east %2\nsouth-east %3\nsouth-west %4")
                    .arg(corner(SheetGeometry::latitude(f, 1), SheetGeometry::longitude(f, 1)),
                         corner(SheetGeometry::latitude(f, 2), SheetGeometry::longitude(f, 2)),
                         corner(SheetGeometry::latitude(f, 3), SheetGeometry::longitude(f, 3)),
                         corner(SheetGeometry::latitude(f, 4), SheetGeometry::longitude(f, 4))));
        }
    }
    m_cmdCopy->setEnabled(!m_name.isEmpty());
}

void FindSheet::copyName()
{
    if (!m_name.isEmpty())
        QApplication::clipboard()->setText(m_name);
}
