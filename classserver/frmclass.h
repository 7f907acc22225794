#pragma once
// The class editor "Class": a class's name, school year, grade and educator, read from its
// Class row and written back by Update.
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace classserver {

class FrmClass : public QDialog {
    Q_OBJECT
public:
    // The class classId of the product whose node text is productText, in the database at dbPath.
    FrmClass(const QString& dbPath, int classId, const QString& productText, QWidget* owner = nullptr);

    void Form_Load();
    // Writes the row and closes (accepted). A class without a row, or a failed write, is said
    // so; nothing is written then.
    void cmdUpdate_Click();
    void cmdCancel_Click();

    int classId() const { return classId_; }

    QLabel* lblPruductName = nullptr;
    QLabel* lblClassID = nullptr;
    QLabel* lblClassName = nullptr;
    QLabel* lblClassYear = nullptr;
    QLabel* lblGrade = nullptr;
    QLabel* lblEducator = nullptr;
    QLineEdit* txtClassName = nullptr;
    QLineEdit* txtClassYear = nullptr;
    QLineEdit* txtGrade = nullptr;
    QLineEdit* txtEducator = nullptr;
    QPushButton* cmdUpdate = nullptr;
    QPushButton* cmdCancel = nullptr;

private:
    QString dbPath_;
    int classId_;
    QString productText_;
};

} // namespace classserver
