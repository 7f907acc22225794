#pragma once
// The base of every notation control: stock properties and how their changes reach the host,
// siting (the default music font), the mouse pointer, mouse events in twips, and painting
// through onDraw with the painter's state restored afterwards.
#include "enums.h"

#include <QFont>
#include <QPixmap>
#include <QWidget>

namespace music {

// Which stock properties a class supports.
enum StockProperty : unsigned {
    StockBackColor = 1u << 0, StockFillColor = 1u << 1, StockFont = 1u << 2,
    StockForeColor = 1u << 3, StockEnabled = 1u << 4, StockTabStop = 1u << 5,
    StockCaption = 1u << 6, StockMousePointer = 1u << 7, StockMouseIcon = 1u << 8,
};

// The stock sets the classes share: the glyph controls (Clef, Note, Metre, Accidental,
// BarLine) and the font-less line controls (Phrase, BeamMusic).
constexpr unsigned kGlyphControlStock = StockBackColor | StockFillColor | StockFont | StockForeColor |
                                        StockEnabled | StockMousePointer | StockMouseIcon;
constexpr unsigned kLineControlStock = StockBackColor | StockFillColor | StockForeColor | StockEnabled |
                                       StockMousePointer | StockMouseIcon;
// The default music font's size in points.
constexpr int kMusicFontPoints = 28;

// What a control asks of and tells its container.
class ControlSite {
public:
    virtual ~ControlSite() = default;
    // May the stock property with this dispatch id change? A refusal leaves it unchanged.
    virtual bool requestEdit(int dispId) { Q_UNUSED(dispId); return true; }
    // A stock property changed (after it was stored).
    virtual void changed(int dispId) { Q_UNUSED(dispId); }
    // The site every control gets when it is placed on a window without one of its own.
    static ControlSite& defaultSite();
};

// Live objects and server locks: the library can be unloaded when both are zero.
class ObjectCounter {
public:
    ObjectCounter();
    ~ObjectCounter();
    ObjectCounter(const ObjectCounter&);
    ObjectCounter& operator=(const ObjectCounter&) = default;
    static int liveObjects();
};

// OLE_COLOR (0x00BBGGRR, or 0x80000000 | system colour index) to RGB.
QColor translateColor(quint32 oleColor);
// The cursor shape for a MousePointer value; `useDefault` is set when the control should show
// whatever cursor is current (Default, an unknown value, Custom without an icon).
Qt::CursorShape cursorShapeFor(int mousePointer, bool* useDefault);

class MusicControl : public QWidget {
    Q_OBJECT
    Q_PROPERTY(quint32 BackColor READ BackColor WRITE setBackColor)
    Q_PROPERTY(quint32 FillColor READ FillColor WRITE setFillColor)
    Q_PROPERTY(QFont Font READ Font WRITE setFont_)
    Q_PROPERTY(quint32 ForeColor READ ForeColor WRITE setForeColor)
    Q_PROPERTY(bool Enabled READ Enabled WRITE setEnabled_)
    Q_PROPERTY(bool TabStop READ TabStop WRITE setTabStop)
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(int MousePointer READ MousePointer WRITE setMousePointer)
    Q_PROPERTY(QPixmap MouseIcon READ MouseIcon WRITE setMouseIcon)

public:
    // `stock` is the set of StockProperty bits the class offers; `fontPoints` the size of the
    // default music font it creates when sited (0: the class has no Font).
    MusicControl(QWidget* parent, unsigned stock, int fontPoints);
    ~MusicControl() override;

    unsigned stockProperties() const { return stock_; }
    bool supports(StockProperty p) const { return (stock_ & p) != 0; }

    quint32 BackColor() const { return backColor_; }
    quint32 FillColor() const { return fillColor_; }
    QFont Font() const { return font_; }
    bool hasFont() const { return hasFont_; }
    quint32 ForeColor() const { return foreColor_; }
    bool Enabled() const { return enabled_; }
    bool TabStop() const { return tabStop_; }
    QString Caption() const { return caption_; }
    int MousePointer() const { return mousePointer_; }
    QPixmap MouseIcon() const { return mouseIcon_; }

    // Stock setters: false when the class lacks the property or the container refused.
    bool setBackColor(quint32 c);
    bool setFillColor(quint32 c);
    bool setFont_(const QFont& f);
    bool setForeColor(quint32 c);
    bool setEnabled_(bool e);
    bool setTabStop(bool t);
    bool setCaption(const QString& s);
    bool setMousePointer(int mp);
    bool setMouseIcon(const QPixmap& pm);

    // Siting: the container hands over its site (nullptr: none). Creates the default font
    // when the class has a Font, none is set yet and the site is real.
    void setClientSite(ControlSite* site);
    ControlSite* clientSite() const { return site_; }

    // Set by stock property changes only; a container saves when dirty.
    bool isDirty() const { return dirty_; }
    void setDirty(bool d) { dirty_ = d; }

    QColor foreRgb() const { return translateColor(foreColor_); }
    QColor backRgb() const { return translateColor(backColor_); }

signals:
    void MouseDown(int x, int y);
    void MouseUp(int x, int y);
    void MouseMove(int x, int y);
    // A stock property changed (dispatch id).
    void propertyChanged(int dispId);

protected:
    // Draws the control inside `bounds` (its own rectangle); the painter's state is saved
    // before and restored after.
    virtual void onDraw(QPainter& p, const QRect& bounds) = 0;
    // Runs after siting created the default font (MusicKey adds its letter font here).
    virtual void onSited() {}
    // A redraw request for the whole control.
    void requestRedraw() { update(); }

    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    // A double click's second press fires no MouseDown (its release still fires MouseUp), so
    // a double click on a staff writes one note, not two.
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    bool event(QEvent* e) override;

private:
    bool beginStockChange(StockProperty p, int dispId);
    void endStockChange(int dispId);
    void applyCursor();

    ObjectCounter counter_;
    unsigned stock_;
    int fontPoints_;
    ControlSite* site_ = nullptr;
    bool sited_ = false;
    bool dirty_ = false;
    quint32 backColor_ = 0xFFFFFF;
    quint32 fillColor_ = 0;
    quint32 foreColor_ = 0;
    bool enabled_ = true;
    bool tabStop_ = false;
    QString caption_;
    int mousePointer_ = 0;
    QPixmap mouseIcon_;
    QFont font_;
    bool hasFont_ = false;
};

} // namespace music
