#include "startup.h"

#include "screenfit.h"
#include "splash.h"

#include "platform/dialogs.h"
#include "platform/paths.h"
#include "student/profile/playerdialog.h"
#include "student/profile/profilestore.h"

namespace shell {

std::unique_ptr<FrmTonvale> Main(const StartupOptions& options) {
    // Saves killed half-way leave full-size hidden temporaries beside the profile.
    tonvale::ProfileStore::removeStaleTemporaries();
    auto frm = std::make_unique<FrmTonvale>(options.sound);
    frm->Form_Load(options.hookName);
    showInsideScreen(*frm, frm->size());

    frm->CloseMIDI();
    if (options.showSplash) {
        FrmSplash splash(frm->sound(), platform::Paths::shareFile("fugue7.mid"), frm.get());
        platform::Dialogs::instance().runModal(splash);
    }
    frm->OpenMIDI();

    tonvale::PlayerDialog::showPlayerDialog(frm.get());
    frm->afterPlayerChoice();
    return frm;
}

} // namespace shell
