#include "playedinputs.h"

#include "platform/clock.h"
#include "student/lessons/palettehost.h"

namespace played {

PlayedInputs::PlayedInputs(lessons::LessonContext& ctx, std::function<QPixmap(int)> lampPictures)
    : capture(ctx), piano(ctx, capture), drum(ctx, capture), ctx_(ctx), lampPictures_(std::move(lampPictures)) {}

void PlayedInputs::RestartCapture() {
    piano.ZeroFirstTick();
    piano.StopMouseDown();
    drum.ZeroFirstTick();
    drum.ReleaseTime = 0;
}

void PlayedInputs::CommitPendingTap() { drum.CommitPendingTap(platform::Clock::instance().nowMs()); }

void PlayedInputs::registerWindows(lessons::PaletteHost& registry) {
    // Closing a window with its close box is its unload: the menu item loses its check mark.
    const auto unloader = [this](const char* menuItem, const char* window) {
        return [this, menuItem, window] {
            ctx_.window.setMenuChecked(QString::fromLatin1(menuItem), false);
            ctx_.palettes.unload(QString::fromLatin1(window));
        };
    };
    registry.addToolWindow("frmKeyboard", [this, unloader](QWidget* owner) {
        keyboard_ = new FrmKeyboard(piano, lampPictures_, unloader("mnuPiano", "frmKeyboard"), owner);
        return keyboard_.data();
    });
    registry.addToolWindow("frmDrum", [this, unloader](QWidget* owner) {
        drumWindow_ = new FrmDrum(drum, lampPictures_, unloader("mnuDrum", "frmDrum"), owner);
        return drumWindow_.data();
    });
}

} // namespace played
