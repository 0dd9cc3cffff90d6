#include "csvreader.h"

#include <QStringDecoder>

#include <stdexcept>

using namespace Qt::StringLiterals;

namespace CsvReader {

namespace {

[[noreturn]] void fail(const QString &message) {
    throw std::runtime_error(message.toStdString());
}

} // namespace

QList<Record> parse(const QByteArray &utf8, QList<int> *lines) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(utf8);
    if (decoder.hasError())
        fail(u"El texto no es UTF-8 válido."_s);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);

    if (lines)
        lines->clear();
    QList<Record> records;
    Record record;
    QString field;
    bool quoted = false;   // the current field began with a quote
    bool inQuotes = false; // inside the quotes of that field
    bool fieldStarted = false;
    int line = 1;
    int fieldLine = 1;
    int recordLine = 1;

    const auto endField = [&] {
        if (quoted || !field.isEmpty())
            record.append(field);
        else
            record.append(std::nullopt);
        field.clear();
        quoted = false;
        fieldStarted = false;
    };
    const auto endRecord = [&] {
        endField();
        // A blank line is no record.
        if (!(record.size() == 1 && !record.first())) {
            records.append(record);
            if (lines)
                lines->append(recordLine);
        }
        record.clear();
    };

    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (inQuotes) {
            if (c == u'"') {
                if (i + 1 < text.size() && text.at(i + 1) == u'"') {
                    field.append(u'"');
                    ++i;
                } else {
                    inQuotes = false;
                }
            } else {
                if (c == u'\n')
                    ++line;
                field.append(c);
            }
            continue;
        }
        if (c == u'"') {
            if (fieldStarted)
                fail(u"Línea %1: comilla en medio de un campo sin comillas."_s.arg(line));
            quoted = true;
            inQuotes = true;
            fieldStarted = true;
            fieldLine = line;
        } else if (c == u',') {
            endField();
        } else if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n') {
            continue;
        } else if (c == u'\n') {
            endRecord();
            recordLine = ++line;
        } else {
            if (quoted)
                fail(u"Línea %1: texto tras la comilla de cierre de un campo."_s.arg(line));
            field.append(c);
            fieldStarted = true;
        }
    }
    if (inQuotes)
        fail(u"Línea %1: falta la comilla de cierre de un campo."_s.arg(fieldLine));
    if (fieldStarted || !record.isEmpty())
        endRecord();
    return records;
}

} // namespace CsvReader
