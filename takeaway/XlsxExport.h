#pragma once

#include "takeaway/CsvExport.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVector>

#include <memory>

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

// A spreadsheet workbook (.xlsx) written sheet by sheet, row by row, through libxlsxwriter into
// a temporary folder, and put in place only once complete. Every cell is a text cell: a code
// keeps its leading zero and never turns into a number, a date or a formula. Each sheet's
// first row is its header: bold, frozen, with an autofilter; the columns are as wide as their
// texts (within limits).
class XlsxWorkbook
{
public:
    // Rows are kept on disk rather than in memory, for workbooks of a whole edition.
    enum class Memory { InMemory, Constant };

    explicit XlsxWorkbook(Memory memory = Memory::InMemory);
    ~XlsxWorkbook();
    XlsxWorkbook(const XlsxWorkbook &) = delete;
    XlsxWorkbook &operator=(const XlsxWorkbook &) = delete;

    // Starts a sheet (its name cut to what spreadsheets accept) with its header row.
    void addSheet(const QString &name, const QStringList &header);
    void addRow(const QStringList &fields);
    // A sheet of label and value pairs, one a row, without header.
    void addAboutSheet(const QString &name, const QVector<QStringList> &pairs);
    // Closes the workbook and writes it to path; the empty text, or what went wrong in Portuguese.
    // Nothing is written to path when it fails.
    QString saveTo(const QString &path);

private:
    void finishSheet();

    QTemporaryDir m_folder;
    QByteArray m_tmpdir;
    lxw_workbook *m_workbook = nullptr;
    lxw_worksheet *m_sheet = nullptr;
    lxw_format *m_bold = nullptr;
    int m_columns = 0;
    unsigned m_row = 0;
    QVector<int> m_widths;
    QString m_error;
};

// A table as one sheet, with a second sheet ("Pesquisa") of label and value pairs saying what
// the table is; the empty text, or what went wrong in Portuguese.
QString saveXlsx(const QString &path, const QString &sheetName, const CsvTable &table,
                 const QVector<QStringList> &about);
