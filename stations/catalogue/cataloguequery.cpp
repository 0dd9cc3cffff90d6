#include "cataloguequery.h"

#include "catalogueerror.h"
#include "jettext.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

struct Token {
    enum Kind { Word, Name, Text, Symbol, End } kind = End;
    QString text;
};

const QStringList keywords = {u"select"_s, u"from"_s, u"where"_s, u"and"_s,
                              u"order"_s,  u"by"_s,   u"asc"_s,   u"desc"_s};

class Parser {
public:
    explicit Parser(const QString &query)
        : m_query(query) {
        tokenize();
    }

    [[noreturn]] void fail(const QString &why) const {
        throw CatalogueError(u"Error de sintaxis en la consulta «%1»: %2."_s.arg(m_query, why));
    }

    const Token &peek() const { return m_tokens[m_next]; }

    bool acceptKeyword(const QString &keyword) {
        if (peek().kind == Token::Word && peek().text.compare(keyword, Qt::CaseInsensitive) == 0) {
            ++m_next;
            return true;
        }
        return false;
    }

    void expectKeyword(const QString &keyword) {
        if (!acceptKeyword(keyword))
            fail(u"se esperaba «%1» en vez de %2"_s.arg(keyword, found()));
    }

    bool acceptSymbol(QChar symbol) {
        if (peek().kind == Token::Symbol && peek().text == symbol) {
            ++m_next;
            return true;
        }
        return false;
    }

    void expectSymbol(QChar symbol) {
        if (!acceptSymbol(symbol))
            fail(u"se esperaba «%1» en vez de %2"_s.arg(symbol).arg(found()));
    }

    QString name() {
        const Token &t = peek();
        const bool plain = t.kind == Token::Word && !keywords.contains(t.text, Qt::CaseInsensitive);
        if (!plain && t.kind != Token::Name)
            fail(u"se esperaba un nombre de tabla o de columna en vez de %1"_s.arg(found()));
        ++m_next;
        return t.text;
    }

    QString text() {
        if (peek().kind != Token::Text)
            fail(u"se esperaba un texto entre apóstrofos en vez de %1"_s.arg(found()));
        return m_tokens[m_next++].text;
    }

    void expectEnd() {
        acceptSymbol(u';');
        if (peek().kind != Token::End)
            fail(u"sobra %1"_s.arg(found()));
    }

private:
    QString found() const {
        const Token &t = peek();
        switch (t.kind) {
        case Token::End:
            return u"el final"_s;
        case Token::Text:
            return u"el texto '%1'"_s.arg(t.text);
        case Token::Name:
            return u"«[%1]»"_s.arg(t.text);
        default:
            return u"«%1»"_s.arg(t.text);
        }
    }

    void tokenize() {
        const QString &q = m_query;
        qsizetype i = 0;
        while (i < q.size()) {
            const QChar c = q[i];
            if (c.isSpace()) {
                ++i;
            } else if (c == u'\'') {
                // An apostrophe inside the text is written as two.
                QString value;
                ++i;
                for (;;) {
                    if (i >= q.size())
                        fail(u"falta el apóstrofo que cierra un texto"_s);
                    if (q[i] == u'\'') {
                        if (i + 1 < q.size() && q[i + 1] == u'\'') {
                            value.append(u'\'');
                            i += 2;
                            continue;
                        }
                        ++i;
                        break;
                    }
                    value.append(q[i++]);
                }
                m_tokens.append(Token{Token::Text, value});
            } else if (c == u'[') {
                const qsizetype close = q.indexOf(u']', i + 1);
                if (close < 0 || close == i + 1)
                    fail(u"falta el corchete que cierra un nombre"_s);
                m_tokens.append(Token{Token::Name, q.mid(i + 1, close - i - 1)});
                i = close + 1;
            } else if (c.isLetterOrNumber() || c == u'_') {
                const qsizetype start = i;
                while (i < q.size() && (q[i].isLetterOrNumber() || q[i] == u'_'))
                    ++i;
                m_tokens.append(Token{Token::Word, q.mid(start, i - start)});
            } else if (c == u'*' || c == u'=' || c == u',' || c == u';') {
                m_tokens.append(Token{Token::Symbol, QString(c)});
                ++i;
            } else {
                fail(u"el carácter «%1» no se admite"_s.arg(c));
            }
        }
        m_tokens.append(Token{Token::End, QString()});
    }

    QString m_query;
    QList<Token> m_tokens;
    qsizetype m_next = 0;
};

qsizetype columnIndex(const CatalogueTable &table, const QString &column, const QString &source) {
    for (qsizetype i = 0; i < table.columns.size(); ++i) {
        if (table.columns[i].compare(column, Qt::CaseInsensitive) == 0)
            return i;
    }
    throw CatalogueError(u"La tabla «%1» del catálogo «%2» no tiene la columna «%3»."_s.arg(
        table.name, source, column));
}

} // namespace

CatalogueQuery CatalogueQuery::parse(const QString &text) {
    Parser p(text);
    CatalogueQuery query;
    p.expectKeyword(u"select"_s);
    p.expectSymbol(u'*');
    p.expectKeyword(u"from"_s);
    query.m_table = p.name();
    if (p.acceptKeyword(u"where"_s)) {
        do {
            Condition condition;
            condition.column = p.name();
            p.expectSymbol(u'=');
            condition.text = p.text();
            query.m_conditions.append(condition);
        } while (p.acceptKeyword(u"and"_s));
    }
    if (p.acceptKeyword(u"order"_s)) {
        p.expectKeyword(u"by"_s);
        do {
            SortKey key;
            key.column = p.name();
            if (p.acceptKeyword(u"desc"_s))
                key.descending = true;
            else
                p.acceptKeyword(u"asc"_s);
            query.m_order.append(key);
        } while (p.acceptSymbol(u','));
    }
    p.expectEnd();
    return query;
}

CatalogueRecordset CatalogueQuery::run(const CatalogueTable &table, const QString &source) const {
    QList<std::pair<qsizetype, QString>> tests;
    for (const Condition &c : m_conditions)
        tests.append({columnIndex(table, c.column, source), c.text});
    QList<std::pair<qsizetype, bool>> keys;
    for (const SortKey &k : m_order)
        keys.append({columnIndex(table, k.column, source), k.descending});

    // A Null value equals nothing.
    QList<CatalogueRow> rows;
    for (const CatalogueRow &row : table.rows) {
        const bool matches = std::all_of(tests.cbegin(), tests.cend(), [&](const auto &t) {
            const CatalogueValue &v = row[t.first];
            return v && JetText::equal(*v, t.second);
        });
        if (matches)
            rows.append(row);
    }
    if (!keys.isEmpty()) {
        // Null sorts before any text; rows that compare equal keep the order of the file.
        std::stable_sort(rows.begin(), rows.end(),
                         [&](const CatalogueRow &a, const CatalogueRow &b) {
                             for (const auto &[index, descending] : keys) {
                                 const CatalogueValue &x = a[index];
                                 const CatalogueValue &y = b[index];
                                 int order = 0;
                                 if (!x || !y)
                                     order = int(bool(x)) - int(bool(y));
                                 else
                                     order = JetText::compare(*x, *y);
                                 if (order != 0)
                                     return descending ? order > 0 : order < 0;
                             }
                             return false;
                         });
    }
    return CatalogueRecordset(table.columns, rows, source);
}
