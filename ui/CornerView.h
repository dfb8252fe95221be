#pragma once

#include <QImage>
#include <QPointF>
#include <QWidget>

#include <array>
#include <vector>

// A sheet scan with its four corners as handles: the wheel zooms (up to 32
// screen pixels per image pixel) about the cursor, dragging the picture pans,
// dragging a handle moves its corner, the arrow keys move the selected handle
// by one image pixel, and a loupe shows the pixels round the cursor.
// Coordinates are image pixels with pixel centres at whole numbers.
class CornerView : public QWidget
{
    Q_OBJECT
public:
    static constexpr double kMaxZoom = 32;

    explicit CornerView(QWidget *parent = nullptr);

    void setImage(const QImage &image);
    const QImage &image() const { return m_image; }
    void setCorners(const std::array<QPointF, 4> &corners);
    const std::array<QPointF, 4> &corners() const { return m_corners; }
    // The other calibration points, drawn as crosses.
    void setPoints(const std::vector<QPointF> &points);

    double zoom() const { return m_scale; }
    void setZoom(double zoom, const QPointF &anchor);
    void fitToWindow();
    // Centres the view on an image point.
    void centreOn(const QPointF &point);

    int selectedHandle() const { return m_selected; }
    void setSelectedHandle(int handle);

    // Widget position of an image point, and back.
    QPointF toWidget(const QPointF &point) const;
    QPointF toImage(const QPointF &widgetPos) const;

    QSize sizeHint() const override { return QSize(800, 600); }

signals:
    // A corner moved by the user (drag or arrow key).
    void cornersEdited();
    void zoomChanged(double zoom);

protected:
    void paintEvent(QPaintEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    int handleAt(const QPointF &widgetPos) const;
    void moveCorner(int handle, const QPointF &point);
    void drawLoupe(QPainter &p);

    QImage m_image;
    QImage m_preview;       // the scan reduced, drawn while zoomed out
    double m_previewScale = 1;
    std::array<QPointF, 4> m_corners{};
    std::vector<QPointF> m_points;
    double m_scale = 1;     // screen pixels per image pixel
    QPointF m_origin;       // image point at the widget's top left
    int m_selected = -1;
    int m_dragging = -1;
    bool m_panning = false;
    QPointF m_last;
    QPointF m_mouse;
    bool m_mouseInside = false;
    bool m_fitted = false;
};
