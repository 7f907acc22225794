#include "storedtext.h"

#include "platform/vexel/vexel.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStringView>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace common {
namespace {

QString errnoText(const char* step) {
    return QString::fromLocal8Bit(std::strerror(errno)) + QStringLiteral(" while ") + QLatin1String(step);
}

bool writeAll(int fd, const char* data, qint64 size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, static_cast<size_t>(size));
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

// What SplitKeyValue would call the line, without copying it.
enum class LineKind { Begin, End, KeyValue, Other };

LineKind classify(QStringView line, QStringView* key = nullptr, QStringView* value = nullptr) {
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (eq >= 0) {
        if (key) *key = line.left(eq);
        if (value) *value = line.mid(eq + 1);
        return LineKind::KeyValue;
    }
    if (line.contains(QLatin1String("begin"), Qt::CaseInsensitive)) return LineKind::Begin;
    if (line.size() == 3 && line.compare(QLatin1String("end"), Qt::CaseInsensitive) == 0) return LineKind::End;
    return LineKind::Other;
}

} // namespace

// ---- Files -------------------------------------------------------------------------------

bool writeFileAtomic(const QString& path, const QByteArray& data, QString* error) {
    auto fail = [error](const QString& why) {
        if (error) *error = why;
        return false;
    };
    QFileInfo target(path);
    // Replace what a link points at, not the link.
    if (target.isSymLink()) target = QFileInfo(target.symLinkTarget());
    const QString finalPath = target.absoluteFilePath();
    const QByteArray finalName = QFile::encodeName(finalPath);
    const QString folder = target.absolutePath();

    struct stat old {};
    const bool hadFile = ::stat(finalName.constData(), &old) == 0;
    if (hadFile && S_ISDIR(old.st_mode)) return fail(QStringLiteral("%1 is a folder").arg(finalPath));

    QByteArray tempName;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        // Joined, not formatted: the folder and file names may themselves hold "%1".
        tempName = QFile::encodeName(folder + QStringLiteral("/.") + target.fileName() + QStringLiteral(".tmp-") +
                                     QStringLiteral("%1").arg(QRandomGenerator::global()->generate(), 8, 16,
                                                              QLatin1Char('0')));
        fd = ::open(tempName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) return fail(errnoText("creating a temporary file"));
    }
    if (fd < 0) return fail(QStringLiteral("no free temporary file name"));
    // Held until the file is closed (or the writer dies), so that removeStaleTemporaries
    // never takes a temporary that is being written.
    ::flock(fd, LOCK_EX | LOCK_NB);

    auto abandon = [&](const char* step) {
        const QString why = errnoText(step);
        ::close(fd);
        ::unlink(tempName.constData());
        return fail(why);
    };
    if (hadFile && ::fchmod(fd, old.st_mode & 07777) != 0) return abandon("keeping the permissions");
    if (!writeAll(fd, data.constData(), data.size())) return abandon("writing");
    if (::fsync(fd) != 0) return abandon("syncing");
    if (::close(fd) != 0) {
        const QString why = errnoText("closing");
        ::unlink(tempName.constData());
        return fail(why);
    }
    if (::rename(tempName.constData(), finalName.constData()) != 0) {
        const QString why = errnoText("replacing the file");
        ::unlink(tempName.constData());
        return fail(why);
    }
    // Make the rename itself durable; the new file is already in place, so a folder that
    // cannot be synced is not a failed save.
    const int dirFd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

bool isAtomicTemporaryName(const QString& fileName) {
    static const QLatin1String tag(".tmp-");
    const qsizetype n = fileName.size();
    if (n < 1 + 1 + tag.size() + 8 || !fileName.startsWith(QLatin1Char('.'))) return false;
    if (QStringView(fileName).mid(n - 8 - tag.size(), tag.size()) != tag) return false;
    for (qsizetype i = n - 8; i < n; ++i) {
        const QChar c = fileName[i];
        if (!((c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (c >= QLatin1Char('a') && c <= QLatin1Char('f'))))
            return false;
    }
    return true;
}

int removeStaleTemporaries(const QString& folder) {
    int removed = 0;
    const QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoSymLinks);
    for (const QString& name : names) {
        if (!isAtomicTemporaryName(name)) continue;
        const QByteArray path = QFile::encodeName(QDir(folder).filePath(name));
        const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) continue;
        // A writer that is alive holds its temporary locked.
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::unlink(path.constData()) == 0) ++removed;
        ::close(fd);
    }
    return removed;
}

QString joinFileItems(const QByteArray& bytes, bool* complete) {
    if (complete) *complete = true;
    const QString s = QString::fromLatin1(bytes);
    const qsizetype n = s.size();
    auto isLineEnd = [](QChar c) { return c == QLatin1Char('\r') || c == QLatin1Char('\n'); };
    auto isDelimiter = [&](QChar c) { return c == QLatin1Char(',') || isLineEnd(c); };
    auto isBlank = [](QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); };
    QString out;
    qsizetype i = 0;
    while (i < n) {
        while (i < n && isBlank(s[i])) ++i;
        if (i >= n) break;
        if (s[i] == QLatin1Char('"')) {
            const qsizetype close = s.indexOf(QLatin1Char('"'), i + 1);
            if (close < 0) {  // an unterminated quote runs to the end of the file
                out += QStringView(s).mid(i + 1);
                if (complete) *complete = false;
                break;
            }
            out += QStringView(s).mid(i + 1, close - i - 1);
            i = close + 1;
            while (i < n && !isDelimiter(s[i])) ++i;  // anything after the closing quote
        } else {
            qsizetype j = i;
            while (j < n && !isDelimiter(s[j])) ++j;
            qsizetype e = j;
            while (e > i && isBlank(s[e - 1])) --e;
            out += QStringView(s).mid(i, e - i);
            i = j;
        }
        if (i < n) {
            if (s[i] == QLatin1Char('\r') && i + 1 < n && s[i + 1] == QLatin1Char('\n')) ++i;
            ++i;
        }
    }
    return out;
}

namespace {
StoredTextStatus readJoined(const QString& path, QString& joined) {
    QFileInfo info(path);
    if (!info.exists()) return StoredTextStatus::Missing;
    QFile f(path);
    if (info.isDir() || !f.open(QIODevice::ReadOnly)) return StoredTextStatus::Unreadable;
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError) return StoredTextStatus::Unreadable;
    bool complete = true;
    joined = joinFileItems(bytes, &complete);
    return complete ? StoredTextStatus::Ok : StoredTextStatus::Undecodable;
}
} // namespace

StoredTextStatus readStoredText(const QString& path, QString& text) {
    QString joined;
    const StoredTextStatus read = readJoined(path, joined);
    if (read != StoredTextStatus::Ok) return read;
    bool ok = false;
    QString plain = platform::Vexel::DecodeText(joined, platform::kStoredTextKey, &ok);
    if (!ok) return StoredTextStatus::Undecodable;
    text = plain;
    return StoredTextStatus::Ok;
}

bool LoadStoredText(const QString& path, QString& text) {
    return readStoredText(path, text) == StoredTextStatus::Ok;
}

bool SaveStoredText(const QString& path, const QString& text, QString* error) {
    // Encoded before the file is touched.
    const QString stored = platform::Vexel::EncodeText(text, platform::kStoredTextKey);
    QByteArray record;
    record.reserve(stored.size() + 4);
    record += '"';
    record += stored.toLatin1();
    record += "\"\r\n";
    return writeFileAtomic(path, record, error);
}

bool isBeginLine(QStringView line) { return classify(line) == LineKind::Begin; }
bool isEndLine(QStringView line) { return classify(line) == LineKind::End; }

bool ReadTextFile(const QString& path, QString& text) {
    QString joined;
    if (readJoined(path, joined) != StoredTextStatus::Ok) return false;
    text = joined;
    return true;
}

bool WriteTextFile(const QString& path, const QString& text) {
    // Single-byte text, as ReadTextFile reads it back.
    QByteArray record;
    record.reserve(text.size() + 4);
    record += '"';
    record += text.toLatin1();
    record += "\"\r\n";
    return writeFileAtomic(path, record);
}

// ---- Plain-text grammar ------------------------------------------------------------------

bool isKey(QStringView key, const char* name) { return key.compare(QLatin1String(name), Qt::CaseInsensitive) == 0; }
bool isKey(QStringView key, QStringView name) { return key.compare(name, Qt::CaseInsensitive) == 0; }

int lessonOfKey(QStringView key) {
    static const QLatin1String prefix("lesson");
    if (key.size() != prefix.size() + 1 || !key.startsWith(prefix, Qt::CaseInsensitive)) return 0;
    const QChar digit = key.back();
    return digit >= QLatin1Char('1') && digit <= QLatin1Char('7') ? digit.digitValue() : 0;
}

QString ExtractBlockFrom(qint32 from, qint32& start, qint32& length, const QString& text,
                         const QString& search) {
    start = -1;
    length = 0;
    const qsizetype eq = search.indexOf(QLatin1Char('='));
    const QStringView searchKey = eq >= 0 ? QStringView(search).left(eq) : QStringView(search);
    const QStringView searchValue = eq >= 0 ? QStringView(search).mid(eq + 1) : QStringView();
    // Whether the line decides the block (the block's first line of the search's key), and
    // whether it then names the one searched for.
    bool keySeen = false;
    auto decide = [&](QStringView line, bool& found) {
        if (eq < 0) {
            found = line.compare(searchKey, Qt::CaseInsensitive) == 0;
            return found;
        }
        QStringView key, value;
        if (classify(line, &key, &value) != LineKind::KeyValue || !isKey(key, searchKey)) return false;
        found = value == searchValue;
        return true;
    };

    const QStringView all(text);
    const qsizetype firstAllowed = from > 1 ? from - 1 : 0;
    qsizetype blockStart = -1;
    bool found = false;
    qsizetype lineStart = 0;
    // Only whole lines count, each ended by CR LF.
    for (qsizetype lineEnd; (lineEnd = all.indexOf(CRLF, lineStart)) >= 0; lineStart = lineEnd + 2) {
        const QStringView line = all.mid(lineStart, lineEnd - lineStart);
        switch (classify(line)) {
        case LineKind::Begin:
            blockStart = lineStart >= firstAllowed ? lineStart : -1;
            found = keySeen = false;
            break;
        case LineKind::End:
            if (blockStart >= 0 && found) {
                start = static_cast<qint32>(blockStart + 1);
                length = static_cast<qint32>(lineEnd + 2 - blockStart);
                return text.mid(blockStart, length);
            }
            blockStart = -1;
            found = keySeen = false;
            break;
        default:
            if (blockStart >= 0 && !keySeen) keySeen = decide(line, found);
            break;
        }
    }
    return QString();
}

QString ExtractBlock(qint32& start, qint32& length, const QString& text, const QString& search) {
    return ExtractBlockFrom(1, start, length, text, search);
}

void SplitKeyValue(const QString& line, QString& key, QString& value) {
    QStringView k, v;
    key.clear();
    value.clear();
    switch (classify(line, &k, &v)) {
    case LineKind::KeyValue:
        key = k.toString();
        value = v.toString();
        break;
    case LineKind::Begin: key = QStringLiteral("begin"); break;
    case LineKind::End: key = QStringLiteral("end"); break;
    case LineKind::Other: break;
    }
}

QVector<KeyValueLine> playerBlockLines(const QString& text, const QString& player) {
    qint32 start = 0, length = 0;
    QStringList lines;
    SplitToArray(ExtractBlock(start, length, text, QStringLiteral("name=") + player), lines, CRLF);
    QVector<KeyValueLine> out;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        QStringView key, value;
        if (classify(lines[i], &key, &value) == LineKind::KeyValue) out.push_back({key.toString(), value.toString()});
    }
    return out;
}

void SplitToArray(const QString& text, QStringList& items, const QString& delimiter) {
    if (text.isEmpty()) return;
    items = QStringList{QString()};
    qint32 position = 0;
    while (position < text.size()) {
        const QString token = platform::Vexel::NextToken(position, text, delimiter);
        if (delimiter.isEmpty()) {
            position = static_cast<qint32>(text.size());
        } else {
            position += static_cast<qint32>(token.size() + delimiter.size());
        }
        // Blank and empty lines are skipped; the split goes on to the end of the text.
        if (!token.trimmed().isEmpty()) items.append(token);
    }
}

int leadingWholeNumber(const QString& text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t'))) ++i;
    bool negative = false;
    if (i < n && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    long long v = 0;
    for (; i < n && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'); ++i) {
        v = v * 10 + (text[i].unicode() - '0');
        if (v > 100000) v = 100000;  // far past the 16-bit range; stop growing
    }
    if (negative) v = -v;
    if (v > 32767) v = 32767;
    if (v < -32768) v = -32768;
    return static_cast<int>(v);
}

void ParseScoreRecord(LessonProgressTable& table, qint16 lesson, qint16 exerciseCount,
                      const QString& record, qint16& level) {
    if (lesson < 0 || lesson > 7) return;
    // The number after a letter; a missing letter reads the whole record, which starts with
    // a letter and so gives 0.
    auto after = [&](QChar letter) {
        const qsizetype at = record.indexOf(letter, 0, Qt::CaseInsensitive);
        return leadingWholeNumber(at >= 0 ? record.mid(at + 1) : record);
    };
    const int l = leadingWholeNumber(record.mid(1));
    level = static_cast<qint16>(l);
    table.LessonProgress[1][lesson] = QString::number(l - 1);

    table.AverageScore[lesson] = after(QLatin1Char('S'));
    table.LessonProgress[3][lesson] = QString::number(table.AverageScore[lesson]) + QLatin1Char('%');

    table.CompletedLevel[lesson] = after(QLatin1Char('M'));
    // A lesson without exercises has nothing to complete (and no division by zero).
    const double completion =
        exerciseCount > 0 ? std::floor(double(table.CompletedLevel[lesson]) / exerciseCount * 100.0) : 0.0;
    table.LessonProgress[2][lesson] = QString::number(static_cast<long long>(completion)) + QLatin1Char('%');

    table.AttemptCount[lesson] = after(QLatin1Char('Q'));
    table.LessonProgress[4][lesson] = QString::number(table.AttemptCount[lesson]);
}

} // namespace common
