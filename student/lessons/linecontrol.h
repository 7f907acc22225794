#pragma once
// A line drawn on a window between two points given in twips of its parent (the answer
// underlines, leger-line preview and thirds of the exercises). Draw mode 13 shows it in its
// colour; 16 draws nothing (hidden, as the item navigation uses it).
#include <QColor>
#include <QWidget>

namespace lessons {

class LineControl : public QWidget {
    Q_OBJECT
    Q_PROPERTY(double X1 READ X1 WRITE setX1)
    Q_PROPERTY(double Y1 READ Y1 WRITE setY1)
    Q_PROPERTY(double X2 READ X2 WRITE setX2)
    Q_PROPERTY(double Y2 READ Y2 WRITE setY2)
    Q_PROPERTY(int DrawMode READ DrawMode WRITE setDrawMode)
    Q_PROPERTY(int BorderWidth READ BorderWidth WRITE setBorderWidth)
    Q_PROPERTY(QColor BorderColor READ BorderColor WRITE setBorderColor)
public:
    explicit LineControl(QWidget* parent = nullptr);
    double X1() const { return x1_; }
    double Y1() const { return y1_; }
    double X2() const { return x2_; }
    double Y2() const { return y2_; }
    int DrawMode() const { return drawMode_; }
    int BorderWidth() const { return borderWidth_; }
    QColor BorderColor() const { return color_; }
    void setX1(double v) { x1_ = v; place(); }
    void setY1(double v) { y1_ = v; place(); }
    void setX2(double v) { x2_ = v; place(); }
    void setY2(double v) { y2_ = v; place(); }
    void setEnds(double x1, double y1, double x2, double y2);
    void setDrawMode(int mode) { drawMode_ = mode; update(); }
    void setBorderWidth(int w) { borderWidth_ = qMax(1, w); place(); }
    void setBorderColor(const QColor& c) { color_ = c; update(); }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    void place();
    double x1_ = 0, y1_ = 0, x2_ = 0, y2_ = 0;
    int drawMode_ = 13;
    int borderWidth_ = 1;
    QColor color_ = Qt::black;
};

} // namespace lessons
