#include "menurules.h"

namespace lessons {

MenuState menuStateFor(const MenuFacts& f) {
    MenuState s;
    if (!f.playerChosen) {
        s.mnuGamePlayer = true;
        s.mnuImport = true;
        s.lessonAreaHidden = true;
    } else if (f.exerciseRunning) {
        s.mnuGame = true;
    } else if (f.currentLesson != 0) {
        s.mnuGame = true;
        s.mnuGamePlayer = true;
    } else {
        s.mnuGamePlayer = true;
        s.mnuExport = true;
        s.mnuImport = true;
        s.mnuOption = true;
        s.mnuChangePassword = true;
    }
    return s;
}

QStringList viewPaletteItems() {
    return {"mnuViewAccidentals", "mnuViewCadence", "mnuViewMisc", "mnuViewNoteSymbols",
            "mnuViewRests", "mnuViewIntervals", "mnuInversion", "mnuViewTime"};
}

QStringList viewItemsEnabledFor(int lesson) {
    switch (lesson) {
    case 1:
    case 3:
        return {"mnuViewIntervals"};
    case 2:
    case 4:
        return {"mnuViewNoteSymbols", "mnuViewMisc", "mnuViewAccidentals", "mnuViewRests"};
    case 5:
        return {"mnuViewCadence", "mnuViewNoteSymbols"};
    case 6:
        return {"mnuViewTime", "mnuViewNoteSymbols"};
    default:
        return {};
    }
}

} // namespace lessons
