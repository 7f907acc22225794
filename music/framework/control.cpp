#include "control.h"
#include "textmetrics.h"
#include "music/font/musicfont.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <atomic>

namespace music {
namespace {
std::atomic<int> g_live{0};
} // namespace

ControlSite& ControlSite::defaultSite() {
    static ControlSite site;
    return site;
}

ObjectCounter::ObjectCounter() { ++g_live; }
ObjectCounter::ObjectCounter(const ObjectCounter&) { ++g_live; }
ObjectCounter::~ObjectCounter() { --g_live; }
int ObjectCounter::liveObjects() { return g_live.load(); }

QColor translateColor(quint32 ole) {
    if (ole & 0x80000000u) {
        // System colours by their classic indices, from the application palette.
        const QPalette pal = QApplication::palette();
        switch (ole & 0xFFu) {
        case 5: return pal.color(QPalette::Base);            // window
        case 8: return pal.color(QPalette::Text);            // window text
        case 15: return pal.color(QPalette::Button);         // button face
        case 18: return pal.color(QPalette::ButtonText);
        case 13: return pal.color(QPalette::Highlight);
        case 14: return pal.color(QPalette::HighlightedText);
        case 17: return pal.color(QPalette::Disabled, QPalette::Text);
        default: return pal.color(QPalette::WindowText);
        }
    }
    return QColor(int(ole & 0xFF), int((ole >> 8) & 0xFF), int((ole >> 16) & 0xFF));
}

Qt::CursorShape cursorShapeFor(int mp, bool* useDefault) {
    *useDefault = false;
    switch (mp) {
    case Arrow: return Qt::ArrowCursor;
    case Cross: return Qt::CrossCursor;
    case IBeam: return Qt::IBeamCursor;
    case IconPointer: return Qt::ArrowCursor;
    case SizePointer: return Qt::SizeAllCursor;
    case SizeNESW: return Qt::SizeBDiagCursor;
    case SizeNS: return Qt::SizeVerCursor;
    case SizeNWSE: return Qt::SizeFDiagCursor;
    case SizeWE: return Qt::SizeHorCursor;
    case UpArrow: return Qt::UpArrowCursor;
    case HourGlass: return Qt::WaitCursor;
    case NoDrop: return Qt::ForbiddenCursor;
    case AppStarting: return Qt::BusyCursor;
    case Help: return Qt::WhatsThisCursor;
    case SizeAll: return Qt::SizeAllCursor;
    default:
        // Default, Custom (handled by the caller) and any unknown value: an arbitrary number
        // is never taken as a cursor handle.
        *useDefault = true;
        return Qt::ArrowCursor;
    }
}

MusicControl::MusicControl(QWidget* parent, unsigned stock, int fontPoints)
    : QWidget(parent), stock_(stock), fontPoints_((stock & StockFont) ? fontPoints : 0) {
    setMouseTracking(true);
    setAutoFillBackground(false);
    if (parent) setClientSite(&ControlSite::defaultSite());
}

MusicControl::~MusicControl() = default;

void MusicControl::setClientSite(ControlSite* site) {
    site_ = site;
    sited_ = true;
    if (!site) return;
    if (fontPoints_ > 0 && !hasFont_ && ensureMusicFont()) {
        font_ = musicFont(fontPoints_);
        hasFont_ = true;
    }
    onSited();
    requestRedraw();
}

bool MusicControl::event(QEvent* e) {
    // A control placed on a window after creation is sited then.
    if (e->type() == QEvent::ParentChange && !sited_ && parentWidget())
        setClientSite(&ControlSite::defaultSite());
    return QWidget::event(e);
}

bool MusicControl::beginStockChange(StockProperty p, int dispId) {
    if (!supports(p)) return false;
    return !site_ || site_->requestEdit(dispId);
}

void MusicControl::endStockChange(int dispId) {
    dirty_ = true;
    if (site_) site_->changed(dispId);
    emit propertyChanged(dispId);
    requestRedraw();
}

#define MUSIC_STOCK_SETTER(Fn, Type, Member, Bit, Id)    \
    bool MusicControl::Fn(Type v) {                      \
        if (!beginStockChange(Bit, Id)) return false;    \
        Member = v;                                      \
        endStockChange(Id);                              \
        return true;                                     \
    }
MUSIC_STOCK_SETTER(setBackColor, quint32, backColor_, StockBackColor, DISPID_BACKCOLOR)
MUSIC_STOCK_SETTER(setFillColor, quint32, fillColor_, StockFillColor, DISPID_FILLCOLOR)
MUSIC_STOCK_SETTER(setForeColor, quint32, foreColor_, StockForeColor, DISPID_FORECOLOR)
MUSIC_STOCK_SETTER(setEnabled_, bool, enabled_, StockEnabled, DISPID_ENABLED)
MUSIC_STOCK_SETTER(setTabStop, bool, tabStop_, StockTabStop, DISPID_TABSTOP)
MUSIC_STOCK_SETTER(setCaption, const QString&, caption_, StockCaption, DISPID_CAPTION)
#undef MUSIC_STOCK_SETTER

bool MusicControl::setFont_(const QFont& f) {
    if (!beginStockChange(StockFont, DISPID_FONT)) return false;
    font_ = f;
    hasFont_ = true;
    endStockChange(DISPID_FONT);
    return true;
}

bool MusicControl::setMousePointer(int mp) {
    if (!beginStockChange(StockMousePointer, DISPID_MOUSEPOINTER)) return false;
    mousePointer_ = mp;
    applyCursor();
    endStockChange(DISPID_MOUSEPOINTER);
    return true;
}

bool MusicControl::setMouseIcon(const QPixmap& pm) {
    if (!beginStockChange(StockMouseIcon, DISPID_MOUSEICON)) return false;
    mouseIcon_ = pm;
    applyCursor();
    endStockChange(DISPID_MOUSEICON);
    return true;
}

void MusicControl::applyCursor() {
    if (mousePointer_ == Custom) {
        if (mouseIcon_.isNull()) unsetCursor();
        else setCursor(QCursor(mouseIcon_));
        return;
    }
    bool useDefault = false;
    const Qt::CursorShape shape = cursorShapeFor(mousePointer_, &useDefault);
    if (useDefault) unsetCursor();
    else setCursor(shape);
}

void MusicControl::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.save();
    onDraw(p, rect());
    p.restore();
}

// Event coordinates are twips from the control's corner, signed, so a captured move that
// leaves the control reports negative values rather than wrapping.
void MusicControl::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    const QPoint pt = e->position().toPoint();
    emit MouseDown(pt.x() * 15, pt.y() * 15);
}

void MusicControl::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    const QPoint pt = e->position().toPoint();
    emit MouseUp(pt.x() * 15, pt.y() * 15);
}

void MusicControl::mouseMoveEvent(QMouseEvent* e) {
    const QPoint pt = e->position().toPoint();
    emit MouseMove(pt.x() * 15, pt.y() * 15);
}

void MusicControl::mouseDoubleClickEvent(QMouseEvent* e) { e->accept(); }

} // namespace music
