#include "mainwindowseam.h"

namespace tonvale {
namespace {

class HiddenMainWindow : public MainWindowSeam {
public:
    void selectFrame(int) override {}
    bool isMainWindowVisible() const override { return false; }
};

MainWindowSeam* g_seam = nullptr;

} // namespace

MainWindowSeam& MainWindowSeam::instance() {
    static HiddenMainWindow standIn;
    return g_seam ? *g_seam : standIn;
}

void MainWindowSeam::setInstance(MainWindowSeam* seam) { g_seam = seam; }

} // namespace tonvale
