#pragma once
// Where the main window reaches work that is not built yet. Every entry is a hook with a
// harmless default (nothing happens); the main window calls it at the moment the finished
// feature will run, so the work that builds the feature only sets the hook (or replaces the
// call) and finds every call site through this header.
//
//   showReport            the student report (toolbar Report, View > Report, player dialog)
//
// Lessons are rows of the lesson table (student/lessons/lessontable.h), the exercise flow is
// student/lessons/exerciseflow.h and the tool windows belong to the palette registry
// (student/palettes/paletteregistry.h).
#include <QString>
#include <functional>

class QWidget;

namespace shell {

struct StandIns {
    std::function<void(const QString& playerName, QWidget* owner)> showReport;

    // Calls that tolerate an empty hook.
    static void run(const std::function<void()>& f) { if (f) f(); }
};

} // namespace shell
