// The settings file and the skin files are plain text that people and other programs write:
// any bytes at all must read without harm, and writing a value into any such file must
// read back as written while every other value stays as it was.

#include "ini.h"

#include <QDir>
#include <QFile>
#include <QList>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

// What the program itself asks of its settings and skin files.
const QList<std::pair<QString, QString>> &knownNames() {
    static const QList<std::pair<QString, QString>> names = {
        {u"General"_s, u"Skin"_s},
        {u"General"_s, u"LastCountry"_s},
        {u"General"_s, u"LastRadio"_s},
        {u"General"_s, u"Autoconnect"_s},
        {u"General"_s, u"Status"_s},
        {u"General"_s, u"NumberType"_s},
        {u"General"_s, u"SkinCaption"_s},
        {u"General"_s, u"Background"_s},
        {u"General"_s, u"ControlBoxColor"_s},
        {u"General"_s, u"MainLabelColor"_s},
        {u"CustomDigits"_s, u"OFF"_s},
        {u"CustomDigits"_s, u"10"_s},
    };
    return names;
}

// A name EscribeINI can be asked to write and LeeINI to find again: no line breaks, nothing
// that makes a line a section header, a comment or a key of its own.
bool plainName(const QString &name) {
    if (name.isEmpty() || name.size() > 40 || name != name.trimmed())
        return false;
    for (const QChar c : name) {
        if (!c.isLetterOrNumber() && c != u'_' && c != u' ')
            return false;
    }
    return true;
}

bool plainValue(const QString &value) {
    if (value.isEmpty() || value.size() > 200 || value != value.trimmed())
        return false;
    if (value.startsWith(u'"') || value.startsWith(u'\''))
        return false;
    // Control characters are written as blanks, so they do not read back as given.
    for (const QChar c : value) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7F && u <= 0x9F) || u == 0x2028 || u == 0x2029 ||
            c.isSurrogate() || u == 0xFEFF)
            return false;
    }
    return true;
}

const QString &scratchFile() {
    static QTemporaryDir dir(QDir(u"/dev/shm"_s).exists()
                                 ? u"/dev/shm/sv-fuzz-ini-XXXXXX"_s
                                 : QDir::tempPath() + u"/sv-fuzz-ini-XXXXXX"_s);
    static const QString path = dir.filePath(u"perfil.ini"_s);
    return path;
}

} // namespace

// The input is "section\nkey\nvalue\n" followed by the file's bytes, so that the fuzzer can
// ask for names that the file holds.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    QList<QByteArray> head;
    qsizetype at = 0;
    while (head.size() < 3) {
        const qsizetype end = input.indexOf('\n', at);
        if (end < 0)
            break;
        head.append(input.mid(at, end - at));
        at = end + 1;
    }
    const QByteArray content = head.size() == 3 ? input.mid(at) : input;

    for (const auto &[section, key] : knownNames())
        profileValue(content, section, key);
    if (head.size() < 3)
        return 0;

    const QString section = QString::fromUtf8(head[0]);
    const QString key = QString::fromUtf8(head[1]);
    const QString value = QString::fromUtf8(head[2]);
    profileValue(content, section, key);
    if (!plainName(section) || !plainName(key) || !plainValue(value))
        return 0;

    const QString &path = scratchFile();
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(content) != content.size())
            abort();
    }
    QList<QString> before;
    for (const auto &[s, k] : knownNames())
        before.append(LeeINI(path, s, k));

    EscribeINI(path, section, key, value);
    if (LeeINI(path, section, key) != value)
        abort(); // the value written does not read back
    for (qsizetype i = 0; i < knownNames().size(); ++i) {
        const auto &[s, k] = knownNames()[i];
        const bool same = s.compare(section, Qt::CaseInsensitive) == 0 &&
                          k.compare(key, Qt::CaseInsensitive) == 0;
        if (!same && LeeINI(path, s, k) != before[i])
            abort(); // writing one value changed another
    }
    return 0;
}
