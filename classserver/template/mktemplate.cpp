// Build step: turns the SQL of the empty class database into the template file.
// Usage: hallbrin_mktemplate <schema.sql> <output file>
#include <QCoreApplication>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTextStream>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <schema.sql> <output>\n", argv[0]);
        return 2;
    }
    QFile sql(QString::fromLocal8Bit(argv[1]));
    if (!sql.open(QIODevice::ReadOnly | QIODevice::Text)) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    const QString out = QString::fromLocal8Bit(argv[2]);
    const QString tmp = out + ".building";
    QFile::remove(tmp);
    int rc = 0;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "template");
        db.setDatabaseName(tmp);
        if (!db.open()) {
            std::fprintf(stderr, "cannot create %s\n", qPrintable(tmp));
            return 1;
        }
        QSqlQuery q(db);
        QString statement;
        QTextStream in(&sql);
        db.transaction();
        while (!in.atEnd() && rc == 0) {
            const QString line = in.readLine();
            if (line.trimmed().startsWith("--")) continue;
            statement += line + '\n';
            if (!line.trimmed().endsWith(';')) continue;
            if (!q.exec(statement)) {
                std::fprintf(stderr, "%s\n%s\n", qPrintable(statement), qPrintable(q.lastError().text()));
                rc = 1;
            }
            statement.clear();
        }
        if (rc == 0 && !db.commit()) rc = 1;
        q = QSqlQuery();
        db.close();
    }
    QSqlDatabase::removeDatabase("template");
    if (rc != 0) {
        QFile::remove(tmp);
        return rc;
    }
    QFile::remove(out);
    if (!QFile::rename(tmp, out)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(out));
        return 1;
    }
    return 0;
}
