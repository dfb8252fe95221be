#pragma once

#include <QPolygonF>
#include <QString>
#include <QWidget>

#include <vector>

// Every sheet of a folder as its footprint on a latitude/longitude grid,
// labelled with its sheet name, so that gaps and duplicates show at a glance.
// Clicking a footprint selects that sheet.
class CoverageView : public QWidget
{
    Q_OBJECT
public:
    struct Footprint
    {
        QString name;
        QPolygonF lonLat;   // corners NW, NE, SE, SW: x longitude, y latitude (degrees)
        bool needsLook = false;
        int id = -1;        // handed back by sheetClicked
    };

    explicit CoverageView(QWidget *parent = nullptr);

    void setFootprints(const std::vector<Footprint> &footprints);
    void setSelected(int id);
    int selected() const { return m_selected; }

    // Where a footprint's centre is drawn (widget pixels); for tests and tools.
    QPointF footprintCentre(int id) const;
    // The footprint under a widget point (the smallest one where several overlap); -1 for none.
    int footprintAt(const QPointF &pos) const;

    QSize sizeHint() const override { return QSize(600, 450); }

signals:
    void sheetClicked(int id);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    QPointF toWidget(const QPointF &lonLat) const;
    QRectF bounds() const;

    std::vector<Footprint> m_footprints;
    int m_selected = -1;
};
