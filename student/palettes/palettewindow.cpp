#include "palettewindow.h"

#include "palettepictures.h"
#include "windowplacement.h"

#include "platform/windowframe.h"

#include <QCloseEvent>
#include <QMoveEvent>
#include <QToolButton>

#include <algorithm>

namespace palettes {
namespace {
constexpr int kButtonSize = 36;     // pixels
constexpr int kSeparatorWidth = 6;
constexpr int kMargin = 3;
} // namespace

PaletteWindow::PaletteWindow(const PaletteSpec& spec, lessons::LessonContext& ctx, QWidget* owner)
    : QWidget(owner, lessons::kToolWindowFlags), spec_(spec), ctx_(ctx) {
    setObjectName(spec_.window);
    const lessons::PaletteInfo* info = lessons::paletteInfo(spec_.window);
    setWindowTitle(info ? QString::fromLatin1(info->caption) : spec_.window);
    setAttribute(Qt::WA_DeleteOnClose, false);
    for (size_t i = 0; i < spec_.buttons.size(); ++i) {
        const PaletteButton& b = spec_.buttons[i];
        if (b.separator()) {
            buttons_.push_back(nullptr);
            continue;
        }
        auto* tb = new QToolButton(this);
        tb->setObjectName(b.key);
        tb->setToolTip(b.toolTip);
        tb->setAutoRaise(true);
        tb->setCheckable(true);
        tb->setFixedSize(buttonWidth(), kButtonSize);
        tb->setIconSize(QSize(buttonWidth() - (kButtonSize - kButtonPicture), kButtonPicture));
        const QString key = b.key;
        connect(tb, &QToolButton::clicked, this, [this, key] {
            // The button shows the tool state, not its own toggling.
            refresh();
            if (spec_.click) spec_.click(ctx_, key);
            refresh();
        });
        buttons_.push_back(tb);
    }
    shownImages_.assign(buttons_.size(), 0);
    if (spec_.content) content_ = spec_.content(this, ctx_);
    observer_ = ctx_.state.tools.subscribe([this] { refresh(); });
    refresh();
}

PaletteWindow::~PaletteWindow() { ctx_.state.tools.unsubscribe(observer_); }

int PaletteWindow::buttonWidth() const { return spec_.buttonWidth > 0 ? spec_.buttonWidth : kButtonSize; }

QToolButton* PaletteWindow::button(int i) const {
    return i >= 1 && i <= int(buttons_.size()) ? buttons_[size_t(i - 1)] : nullptr;
}

void PaletteWindow::clickButton(int i) {
    QToolButton* b = button(i);
    if (b && b->isVisible() && b->isEnabled()) b->click();
}

void PaletteWindow::refresh() {
    const lessons::ToolState& t = ctx_.state.tools;
    for (int i = 1; i <= int(buttons_.size()); ++i) {
        QToolButton* b = buttons_[size_t(i - 1)];
        if (!b) continue;
        const int image = t.Image(spec_.window, i) ? t.Image(spec_.window, i) : spec_.buttons[size_t(i - 1)].image;
        // A picture is drawn only when its image changes: every tool change refreshes the
        // window, and a tap on the drum changes the tools several times.
        if (spec_.picture && shownImages_[size_t(i - 1)] != image) {
            b->setIcon(QIcon(spec_.picture(image)));
            shownImages_[size_t(i - 1)] = image;
        }
        b->setChecked(t.pressed(spec_.window, i));
        b->setEnabled(t.Enabled(spec_.window, i));
        b->setVisible(t.Visible(spec_.window, i));
    }
    layoutButtons();
}

void PaletteWindow::layoutButtons() {
    const double widthTwips = ctx_.state.tools.windowWidth(spec_.window).value_or(spec_.width);
    const int bw = buttonWidth();
    // Never narrower than its title bar needs to show the title whole.
    int width = std::max({bw + 2 * kMargin, common::twipsToPixels(widthTwips), titleBarWidth(windowTitle())});
    if (content_) {
        const QSize hint = content_->sizeHint();
        content_->setGeometry(kMargin, kMargin, hint.width(), hint.height());
        width = qMax(width, hint.width() + 2 * kMargin);
        setFixedSize(width, hint.height() + 2 * kMargin);
        return;
    }
    // Buttons in toolbar order, wrapping to the next row at the window's width; hidden ones
    // take no room, and a separator only stands between shown buttons of one row.
    int x = kMargin, y = kMargin;
    bool rowHasButton = false, pendingSeparator = false;
    for (QToolButton* b : buttons_) {
        if (!b) {
            pendingSeparator = rowHasButton;
            continue;
        }
        if (b->isHidden()) continue;
        if (pendingSeparator) x += kSeparatorWidth;
        pendingSeparator = false;
        if (rowHasButton && x + bw + kMargin > width) {
            x = kMargin;
            y += kButtonSize;
        }
        b->move(x, y);
        x += bw;
        rowHasButton = true;
    }
    setFixedSize(width, y + kButtonSize + kMargin);
}

void PaletteWindow::closeEvent(QCloseEvent* event) {
    // The close box unloads the window; the registry destroys it after this event.
    event->ignore();
    if (closedByUser) closedByUser();
}

void PaletteWindow::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    const QPoint place = platform::frameGeometry(*this).topLeft() - placesOrigin(parentWidget());
    ctx_.state.tools.setWindowPlace(spec_.window, place.x() * common::kTwipsPerPixel,
                                    place.y() * common::kTwipsPerPixel);
}

} // namespace palettes
