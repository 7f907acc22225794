#include "frmclass.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlError>
#include <QSqlQuery>
#include <QVBoxLayout>

#include "classdatabase.h"
#include "platform/dialogs.h"

namespace classserver {

FrmClass::FrmClass(const QString& dbPath, int classId, const QString& productText, QWidget* owner)
    : QDialog(owner), dbPath_(dbPath), classId_(classId), productText_(productText) {
    setObjectName(QStringLiteral("frmClass"));
    setWindowTitle(QStringLiteral("Class"));
    auto label = [this](const char* name, const QString& text) {
        auto* l = new QLabel(text, this);
        l->setObjectName(QLatin1String(name));
        return l;
    };
    auto box = [this](const char* name) {
        auto* t = new QLineEdit(this);
        t->setObjectName(QLatin1String(name));
        t->setMinimumWidth(240);
        return t;
    };
    lblPruductName = label("lblPruductName", QStringLiteral("Product Name"));
    lblClassID = label("lblClassID", QStringLiteral("Class ID"));
    QFont heading = lblPruductName->font();
    heading.setBold(true);
    heading.setPointSizeF(heading.pointSizeF() * 1.15);
    lblPruductName->setFont(heading);
    lblClassID->setFont(heading);
    lblClassName = label("lblClassName", QStringLiteral("Class Name:"));
    lblClassYear = label("lblClassYear", QStringLiteral("Class Year:"));
    lblGrade = label("lblGrade", QStringLiteral("Grade:"));
    lblEducator = label("lblEducator", QStringLiteral("Educator:"));
    txtClassName = box("txtClassName");
    txtClassYear = box("txtClassYear");
    txtGrade = box("txtGrade");
    txtEducator = box("txtEducator");
    cmdUpdate = new QPushButton(QStringLiteral("Update"), this);
    cmdUpdate->setObjectName(QStringLiteral("cmdUpdate"));
    cmdUpdate->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(cmdUpdate, &QPushButton::clicked, this, &FrmClass::cmdUpdate_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &FrmClass::cmdCancel_Click);

    auto* form = new QFormLayout;
    form->addRow(lblClassName, txtClassName);
    form->addRow(lblClassYear, txtClassYear);
    form->addRow(lblGrade, txtGrade);
    form->addRow(lblEducator, txtEducator);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdUpdate);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    auto* title = new QHBoxLayout;
    title->addWidget(lblPruductName);
    title->addStretch();
    title->addWidget(lblClassID);
    layout->addLayout(title);
    layout->addSpacing(6);
    layout->addLayout(form);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    Form_Load();
}

void FrmClass::Form_Load() {
    lblClassID->setText(QStringLiteral("Class %1").arg(classId_ - 11 * (classId_ / 11)));
    lblPruductName->setText(productText_);
    DbConnection c(dbPath_);
    QSqlQuery q(c.db());
    if (!c.isOpen() ||
        !q.prepare(QStringLiteral("SELECT Educator, ClassYear, Grade, ClassName FROM Class WHERE ClassID = ?")))
        return;
    q.addBindValue(classId_);
    if (!q.exec() || !q.next()) return;
    // A column without a value shows as an empty box.
    txtEducator->setText(q.value(0).toString());
    txtClassYear->setText(q.value(1).toString());
    txtGrade->setText(q.value(2).toString());
    txtClassName->setText(q.value(3).toString());
}

void FrmClass::cmdUpdate_Click() {
    QString why;
    int changed = -1;
    {
        DbConnection c(dbPath_);
        QSqlQuery q(c.db());
        if (!c.isOpen()) {
            why = c.errorText();
        } else if (!q.prepare(QStringLiteral("UPDATE Class SET ClassYear = ?, Grade = ?, ClassName = ?, Educator = ? "
                                             "WHERE ClassID = ?"))) {
            why = q.lastError().text();
        } else {
            q.addBindValue(txtClassYear->text());
            q.addBindValue(txtGrade->text());
            q.addBindValue(txtClassName->text());
            q.addBindValue(txtEducator->text());
            q.addBindValue(classId_);
            if (q.exec()) changed = q.numRowsAffected();
            else why = q.lastError().text();
        }
    }
    if (changed == 1) {
        accept();
        return;
    }
    if (changed == 0) {
        platform::Dialogs::instance().messageBox(
            QStringLiteral("There is no record of %1 of %2 in the class database: nothing was saved.")
                .arg(lblClassID->text(), productText_),
            platform::OkOnly | platform::Exclamation, QStringLiteral("Class"), this);
        reject();
        return;
    }
    platform::Dialogs::instance().messageBox(QStringLiteral("The class could not be saved: ") + why,
                                             platform::OkOnly | platform::Exclamation, QStringLiteral("Class"), this);
}

void FrmClass::cmdCancel_Click() { reject(); }

} // namespace classserver
