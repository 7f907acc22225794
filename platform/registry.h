#pragma once
// A small hierarchical key store standing in for the system registry: keys are paths with
// "\" separators, each holding named string values ("" is the key's default value).
#include <QString>
#include <QStringList>

namespace platform {

class Registry {
public:
    explicit Registry(const QString& iniFile);
    void setValue(const QString& key, const QString& name, const QString& value);
    QString value(const QString& key, const QString& name, bool* found = nullptr) const;
    bool keyExists(const QString& key) const;
    void removeKey(const QString& key);          // the key and everything below it
    QStringList subKeys(const QString& key) const;
    QString file() const { return file_; }
    // The machine-wide store (in the data folder).
    static Registry& machine();
private:
    QString file_;
};

} // namespace platform
