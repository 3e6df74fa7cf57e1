#include "takeaway/EditionWorkbook.h"

#include "data/Query.h"
#include "data/ValueText.h"
#include "takeaway/CsvExport.h"
#include "takeaway/TakeawayStatements.h"
#include "takeaway/XlsxExport.h"

namespace
{

// How often the progress is told, in rows.
constexpr qint64 kProgressStep = 2000;
// How many activities are read at once, at most (unless one division alone has more).
constexpr qint64 kRowsARead = 60000;

struct Level {
    const char *sheet;
    const char *parentTitle; // nullptr for the sections
    const char *suffix;      // of the level's column names
};

const Level kLevels[] = {{"Seções", nullptr, "SEC"},
                         {"Divisões", "Seção", "DIV"},
                         {"Grupos", "Divisão", "GRP"},
                         {"Classes", "Grupo", "CLA"},
                         {"Subclasses", "Classe", "SUB"}};

const char *const kNoteKinds[][2] = {{"NTEXP", "Notas explicativas"},
                                     {"CCOMPRE", "Compreende"},
                                     {"TCOMPRE", "Compreende também"},
                                     {"NCOMPRE", "Não compreende"},
                                     {"NOTAS", "Notas"}};

QString classCode(const QString &codigoCla)
{
    return codigoCla.left(4) + QLatin1Char('-') + codigoCla.right(1);
}

bool isBlank(const QString &text)
{
    return text.trimmed().isEmpty();
}

// A level's rows as its sheet shows them: code and description, the parent's code, the notes.
struct LevelRows {
    QStringList header;
    QVector<QStringList> rows;
};

LevelRows levelRows(const Query &query, int nivel)
{
    const Level &level = kLevels[nivel - 1];
    const QString suffix = QLatin1String(level.suffix);
    const auto column = [&query](const QString &name) { return query.columnIndex(name); };
    const auto text = [&query](int row, int col) {
        return col < 0 ? QString() : valueText(query.value(row, col));
    };

    const int code = column(QStringLiteral("CODIGO_") + suffix);
    const int description = column(QStringLiteral("DESCRICAO_") + suffix);
    const int parent = nivel == 1 ? -1
                       : nivel == 5
                           ? column(QStringLiteral("CODIGO_CLA"))
                           : column(QStringLiteral("CODIGO_") + QLatin1String(kLevels[nivel - 2].suffix));
    const int classColumn = column(QStringLiteral("CODIGO_CLA"));

    // Only the kinds of note that some item of the level has get a column.
    QVector<int> notes;
    LevelRows sheet{{QStringLiteral("Código"), QStringLiteral("Descrição")}, {}};
    if (level.parentTitle)
        sheet.header.append(QString::fromUtf8(level.parentTitle));
    for (const auto &kind : kNoteKinds) {
        const int note = column(QLatin1String(kind[0]) + QLatin1Char('_') + suffix);
        bool used = false;
        for (int row = 0; note >= 0 && row < query.recordCount() && !used; ++row)
            used = !isBlank(text(row, note));
        if (used) {
            notes.append(note);
            sheet.header.append(QString::fromUtf8(kind[1]));
        }
    }

    for (int row = 0; row < query.recordCount(); ++row) {
        QString itemCode = text(row, code);
        QString parentCode = text(row, parent);
        if (nivel == 4)
            itemCode = classCode(itemCode);
        if (nivel == 5) {
            itemCode = classCode(text(row, classColumn)) + QLatin1Char('/') + itemCode;
            parentCode = classCode(parentCode);
        }
        QStringList fields{itemCode, text(row, description)};
        if (level.parentTitle)
            fields.append(parentCode);
        for (const int note : notes)
            fields.append(QString(text(row, note)).replace(QLatin1Char('#'), QLatin1Char('-')));
        sheet.rows.append(fields);
    }
    return sheet;
}

} // namespace

QString EditionWorkbook::write(Connection &connection, const QString &path, const Progress &progress,
                               bool *cancelled) const
{
    *cancelled = false;
    QVector<LevelRows> levels;
    qint64 total = 0;
    for (int nivel = 1; nivel <= 5; ++nivel) {
        Query query(connection, QStringLiteral("QryEdicaoNivel"), {editionLevelRows(prefix, nivel)});
        query.open();
        levels.append(levelRows(query, nivel));
        total += levels.last().rows.size();
    }
    Query count(connection, QStringLiteral("QryEdicaoContagem"), {editionActivityCount(prefix)});
    count.open();
    total += count.isEmpty() ? 0 : count.value(0, 0).toLongLong();

    qint64 done = 0;
    const auto advance = [&] {
        ++done;
        if (done % kProgressStep == 0 && !progress(done, total))
            *cancelled = true;
        return !*cancelled;
    };
    if (!progress(0, total)) {
        *cancelled = true;
        return {};
    }

    XlsxWorkbook workbook(XlsxWorkbook::Memory::Constant);
    for (int nivel = 1; nivel <= 5; ++nivel) {
        workbook.addSheet(QString::fromUtf8(kLevels[nivel - 1].sheet), levels[nivel - 1].header);
        for (const QStringList &row : levels[nivel - 1].rows) {
            workbook.addRow(row);
            if (!advance())
                return {};
        }
    }
    levels.clear();

    workbook.addSheet(QStringLiteral("Atividades"), {QStringLiteral("Código"), QStringLiteral("Descrição"),
                                                     QStringLiteral("Palavras-chave")});
    // Each reading scans the whole table: runs of divisions of some tens of thousands of rows keep
    // both the scans and the rows in memory few.
    Query divisions(connection, QStringLiteral("QryEdicaoDivisoes"), {editionActivityDivisions(prefix)});
    divisions.open();
    for (int first = 0; first < divisions.recordCount();) {
        const QVariant firstCode = divisions.value(first, 0);
        int last = first;
        qint64 rows = divisions.value(first, 1).toLongLong();
        while (!firstCode.isNull() && last + 1 < divisions.recordCount() &&
               rows + divisions.value(last + 1, 1).toLongLong() <= kRowsARead) {
            ++last;
            rows += divisions.value(last, 1).toLongLong();
        }
        Query activities(
            connection, QStringLiteral("QryEdicaoAtividades"),
            {editionActivitiesOfDivisions(prefix, valueText(firstCode), valueText(divisions.value(last, 0)),
                                          firstCode.isNull())});
        activities.open();
        for (int row = 0; row < activities.recordCount(); ++row) {
            workbook.addRow({valueText(activities.value(row, 0)), valueText(activities.value(row, 1)),
                             keywordListText(valueText(activities.value(row, 2)))});
            if (!advance())
                return {};
        }
        first = last + 1;
    }
    workbook.addAboutSheet(QStringLiteral("Edição"), about);
    const QString failure = workbook.saveTo(path);
    progress(total, total);
    return failure;
}
