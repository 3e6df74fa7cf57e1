#include "takeaway/XlsxExport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <xlsxwriter.h>

namespace
{

// Spreadsheets hold at most this many characters in a cell and 31 in a sheet's name, without
// any of []:*?/\ in it.
constexpr int kMaxCellText = 32767;
constexpr int kMaxSheetName = 31;
// Column widths in characters: never narrower than a short code, never so wide that a long
// description hides the next column.
constexpr int kMinWidth = 8;
constexpr int kMaxWidth = 60;

QByteArray cellText(const QString &text)
{
    return text.left(kMaxCellText).toUtf8();
}

QByteArray sheetNameOf(const QString &name)
{
    QString cleaned = name;
    for (const QChar refused : QStringLiteral("[]:*?/\\"))
        cleaned.replace(refused, QLatin1Char(' '));
    return cleaned.left(kMaxSheetName).toUtf8();
}

// The widest line of a text, in characters.
int widthOf(const QString &text)
{
    int widest = 0;
    for (const QStringView line : QStringView(text).split(QLatin1Char('\n')))
        widest = qMax(widest, int(line.size()));
    return widest;
}

} // namespace

XlsxWorkbook::XlsxWorkbook(Memory memory)
{
    m_tmpdir = QFile::encodeName(m_folder.path());
    lxw_workbook_options options{};
    options.constant_memory = memory == Memory::Constant ? LXW_TRUE : LXW_FALSE;
    options.tmpdir = m_tmpdir.data();
    m_workbook = workbook_new_opt(
        QFile::encodeName(m_folder.filePath(QStringLiteral("lista.xlsx"))).constData(), &options);
    if (!m_folder.isValid() || !m_workbook) {
        m_error = QStringLiteral("não foi possível criar um arquivo temporário");
        return;
    }
    m_bold = workbook_add_format(m_workbook);
    format_set_bold(m_bold);
}

XlsxWorkbook::~XlsxWorkbook()
{
    // An unsaved workbook is closed only to free it; its file goes with the temporary folder.
    if (m_workbook)
        workbook_close(m_workbook);
}

void XlsxWorkbook::addSheet(const QString &name, const QStringList &header)
{
    finishSheet();
    if (!m_workbook)
        return;
    m_sheet = workbook_add_worksheet(m_workbook, sheetNameOf(name).constData());
    if (!m_sheet) {
        m_error = QStringLiteral("a planilha \"%1\" não pôde ser criada").arg(name);
        return;
    }
    m_columns = int(header.size());
    m_widths.fill(kMinWidth, m_columns);
    for (int column = 0; column < m_columns; ++column) {
        m_widths[column] = qMax(m_widths[column], widthOf(header[column]) + 2);
        worksheet_write_string(m_sheet, 0, lxw_col_t(column), cellText(header[column]).constData(), m_bold);
    }
    m_row = 1;
    worksheet_freeze_panes(m_sheet, 1, 0);
}

void XlsxWorkbook::addRow(const QStringList &fields)
{
    if (!m_sheet)
        return;
    for (int column = 0; column < m_columns && column < fields.size(); ++column) {
        const QString &text = fields[column];
        m_widths[column] = qMax(m_widths[column], widthOf(text) + 2);
        if (text.isEmpty())
            continue;
        const lxw_error error =
            worksheet_write_string(m_sheet, m_row, lxw_col_t(column), cellText(text).constData(), nullptr);
        if (error != LXW_NO_ERROR && m_error.isEmpty())
            m_error = QString::fromUtf8(lxw_strerror(error));
    }
    ++m_row;
}

void XlsxWorkbook::addAboutSheet(const QString &name, const QVector<QStringList> &pairs)
{
    finishSheet();
    if (!m_workbook)
        return;
    lxw_worksheet *sheet = workbook_add_worksheet(m_workbook, sheetNameOf(name).constData());
    if (!sheet)
        return;
    int labelWidth = kMinWidth;
    int valueWidth = kMinWidth;
    for (int row = 0; row < pairs.size(); ++row) {
        const QString label = pairs[row].value(0);
        const QString value = pairs[row].value(1);
        labelWidth = qMax(labelWidth, widthOf(label) + 2);
        valueWidth = qMax(valueWidth, widthOf(value) + 2);
        worksheet_write_string(sheet, lxw_row_t(row), 0, cellText(label).constData(), m_bold);
        if (!value.isEmpty())
            worksheet_write_string(sheet, lxw_row_t(row), 1, cellText(value).constData(), nullptr);
    }
    worksheet_set_column(sheet, 0, 0, qMin(labelWidth, kMaxWidth), nullptr);
    worksheet_set_column(sheet, 1, 1, qMin(valueWidth, kMaxWidth), nullptr);
}

// The header's autofilter covers the rows written, and the widths are those of the texts seen.
void XlsxWorkbook::finishSheet()
{
    if (!m_sheet)
        return;
    if (m_columns > 0)
        worksheet_autofilter(m_sheet, 0, 0, lxw_row_t(m_row - 1), lxw_col_t(m_columns - 1));
    for (int column = 0; column < m_columns; ++column)
        worksheet_set_column(m_sheet, lxw_col_t(column), lxw_col_t(column), qMin(m_widths[column], kMaxWidth),
                             nullptr);
    m_sheet = nullptr;
}

QString XlsxWorkbook::saveTo(const QString &path)
{
    finishSheet();
    const auto failed = [&path](const QString &reason) {
        return QStringLiteral("Não foi possível gravar o arquivo \"%1\": %2.")
            .arg(QDir::toNativeSeparators(path), reason);
    };
    if (!m_error.isEmpty())
        return failed(m_error);
    const lxw_error closed = workbook_close(m_workbook);
    m_workbook = nullptr;
    if (closed != LXW_NO_ERROR)
        return failed(QString::fromUtf8(lxw_strerror(closed)));
    QFile written(m_folder.filePath(QStringLiteral("lista.xlsx")));
    if (!written.open(QIODevice::ReadOnly))
        return failed(written.errorString());
    return saveFileAtomically(path, written.readAll());
}

QString saveXlsx(const QString &path, const QString &sheetName, const CsvTable &table,
                 const QVector<QStringList> &about)
{
    XlsxWorkbook workbook;
    workbook.addSheet(sheetName, table.header);
    for (const QStringList &row : table.rows)
        workbook.addRow(row);
    workbook.addAboutSheet(QStringLiteral("Pesquisa"), about);
    return workbook.saveTo(path);
}
