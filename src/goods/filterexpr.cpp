#include "filterexpr.h"

#include "datetimetext.h"

namespace {

enum class Tok { End, LParen, RParen, Op, String, Number, Word };

struct Token {
    Tok kind = Tok::End;
    QString text;
};

class Parser {
public:
    Parser(const QString& text, const std::vector<TFieldDef>& fields) : Text(text), Fields(fields) { Advance(); }

    TFilterSql Run() {
        TFilterSql out;
        out.Sql = Or(out.Binds);
        if (Current.kind != Tok::End) Fail();
        return out;
    }

private:
    [[noreturn]] void Fail() const {
        throw TEngineError(QStringLiteral("Nieprawidłowe wyrażenie filtru: %1").arg(Text));
    }

    bool IsKeyword(const char* word) const {
        return Current.kind == Tok::Word && Current.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
    }

    void Advance() {
        while (Pos < Text.size() && Text[Pos].isSpace()) ++Pos;
        Current = Token{};
        if (Pos >= Text.size()) return;
        const QChar c = Text[Pos];
        if (c == u'(' || c == u')') {
            Current = {c == u'(' ? Tok::LParen : Tok::RParen, QString(c)};
            ++Pos;
        } else if (c == u'=' || c == u'<' || c == u'>' || c == u'!') {
            QString op(c);
            ++Pos;
            if (Pos < Text.size() && (Text[Pos] == u'=' || (c == u'<' && Text[Pos] == u'>'))) op += Text[Pos++];
            if (op == QLatin1String("!")) Fail();
            Current = {Tok::Op, op};
        } else if (c == u'\'') {
            QString value;
            ++Pos;
            for (;;) {
                if (Pos >= Text.size()) Fail();  // unterminated
                if (Text[Pos] == u'\'') {
                    if (Pos + 1 < Text.size() && Text[Pos + 1] == u'\'') {
                        value += u'\'';
                        Pos += 2;
                        continue;
                    }
                    ++Pos;
                    break;
                }
                value += Text[Pos++];
            }
            Current = {Tok::String, value};
        } else if (c == u'"') {
            const qsizetype end = Text.indexOf(u'"', Pos + 1);
            if (end < 0) Fail();
            Current = {Tok::Word, Text.mid(Pos + 1, end - Pos - 1)};
            Current.text.prepend(u'"');  // marks a quoted name, never a keyword
            Pos = end + 1;
        } else if (c.isDigit() || ((c == u'-' || c == u'+') && Pos + 1 < Text.size() && Text[Pos + 1].isDigit())) {
            TakeRun(Tok::Number, [](QChar d) { return d.isDigit() || d == u'.'; });
        } else if (c.isLetter() || c == u'_') {
            TakeRun(Tok::Word, [](QChar d) { return d.isLetterOrNumber() || d == u'_'; });
        } else {
            Fail();
        }
    }

    // The current character and those after it that `accept` takes, as one token.
    template <class Accept>
    void TakeRun(Tok kind, Accept accept) {
        const qsizetype start = Pos++;
        while (Pos < Text.size() && accept(Text[Pos])) ++Pos;
        Current = {kind, Text.mid(start, Pos - start)};
    }

    // Operands joined by the keyword `op`, left to right.
    QString Joined(const char* op, QString (Parser::*operand)(QVariantList&), QVariantList& binds) {
        QString sql = (this->*operand)(binds);
        while (IsKeyword(op)) {
            Advance();
            const QString right = (this->*operand)(binds);
            sql = QStringLiteral("(%1 %2 %3)").arg(sql, QLatin1String(op), right);
        }
        return sql;
    }

    QString Or(QVariantList& binds) { return Joined("OR", &Parser::And, binds); }
    QString And(QVariantList& binds) { return Joined("AND", &Parser::Not, binds); }

    QString Not(QVariantList& binds) {
        if (IsKeyword("NOT")) {
            Advance();
            return QStringLiteral("(NOT %1)").arg(Not(binds));
        }
        if (Current.kind == Tok::LParen) {
            Advance();
            const QString inner = Or(binds);
            if (Current.kind != Tok::RParen) Fail();
            Advance();
            return inner;
        }
        return Comparison(binds);
    }

    const TFieldDef& Field() {
        if (Current.kind != Tok::Word) Fail();
        QString name = Current.text;
        if (name.startsWith(u'"')) name.remove(0, 1);
        else if (IsKeyword("AND") || IsKeyword("OR") || IsKeyword("NOT") || IsKeyword("TRUE") ||
                 IsKeyword("FALSE") || IsKeyword("NULL"))
            Fail();
        for (const auto& f : Fields)
            if (f.Name.compare(name, Qt::CaseInsensitive) == 0) {
                Advance();
                return f;
            }
        throw TEngineError(QStringLiteral("Nieznane pole w filtrze: %1").arg(name));
    }

    QString Comparison(QVariantList& binds) {
        const TFieldDef& field = Field();
        if (Current.kind != Tok::Op) Fail();
        QString op = Current.text;
        if (op == QLatin1String("!=")) op = QStringLiteral("<>");
        static const QStringList kOps{"=", "<>", "<", ">", "<=", ">="};
        if (!kOps.contains(op)) Fail();
        Advance();
        const QString column = field.Expression.isEmpty() ? QuoteName(field.Name) : u'(' + field.Expression + u')';
        if (IsKeyword("NULL")) {
            Advance();
            if (op == QLatin1String("=")) return column + QStringLiteral(" IS NULL");
            if (op == QLatin1String("<>")) return column + QStringLiteral(" IS NOT NULL");
            Fail();
        }
        binds << Value(field);
        Advance();
        return QStringLiteral("%1 %2 ?").arg(column, op);
    }

    // The current token as the stored form of the field's type.
    QVariant Value(const TFieldDef& field) {
        const bool isTrue = IsKeyword("TRUE"), isFalse = IsKeyword("FALSE");
        switch (field.Type) {
        case TFieldType::Boolean:
            if (isTrue || isFalse) return QVariant(qint64(isTrue ? 1 : 0));
            if (Current.kind == Tok::Number && (Current.text == QLatin1String("0") || Current.text == QLatin1String("1")))
                return QVariant(Current.text.toLongLong());
            Fail();
        case TFieldType::Integer: {
            if (isTrue || isFalse) return QVariant(qint64(isTrue ? 1 : 0));
            if (Current.kind != Tok::Number && Current.kind != Tok::String) Fail();
            bool ok = false;
            const qint64 v = Current.text.trimmed().toLongLong(&ok);
            if (!ok) Fail();
            return QVariant(v);
        }
        case TFieldType::DateTime: {
            if (Current.kind != Tok::String) Fail();
            QDateTime moment;
            if (!TextToDateTime(Current.text, moment)) Fail();
            return QVariant(DateTimeToStorage(moment));
        }
        case TFieldType::String:
            if (Current.kind != Tok::String && Current.kind != Tok::Number) Fail();
            return QVariant(field.Size > 0 ? Current.text.left(field.Size) : Current.text);
        }
        Fail();
    }

    QString Text;
    const std::vector<TFieldDef>& Fields;
    qsizetype Pos = 0;
    Token Current;
};

}  // namespace

QString QuoteName(const QString& name) {
    QString n = name;
    n.replace(u'"', QStringLiteral("\"\""));
    return u'"' + n + u'"';
}

TFilterSql TranslateFilter(const QString& filter, const std::vector<TFieldDef>& fields) {
    if (filter.trimmed().isEmpty()) return {};
    return Parser(filter, fields).Run();
}
