// The yardstick of the whole-process start-up bench: a bare Qt main window with a menu bar
// and a tree view, built with the same toolkit and flags as the student program.
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QStandardItemModel>
#include <QTreeView>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle("Bare window");
    for (const char* title : {"&File", "&Edit", "&View", "&Help"}) {
        QMenu* menu = window.menuBar()->addMenu(title);
        menu->addAction("First item");
        menu->addAction("Second item");
    }
    QStandardItemModel model;
    model.setHorizontalHeaderLabels({"Name", "Value"});
    for (int i = 0; i < 7; ++i) model.appendRow({new QStandardItem(QString("Row %1").arg(i)), new QStandardItem("0")});
    auto* tree = new QTreeView;
    tree->setModel(&model);
    window.setCentralWidget(tree);
    window.resize(1040, 700);
    window.show();
    return app.exec();
}
