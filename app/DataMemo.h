#pragma once

#include <QPlainTextEdit>

class DataSource;

// A read-only memo showing one column of its data source's current row, following the row as it
// moves or the query reloads. A NULL, a missing column or no row shows as the empty text.
class DataMemo : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit DataMemo(QWidget *parent = nullptr);

    void bind(DataSource &source, const QString &field);
    DataSource *dataSource() const { return m_source; }
    QString field() const { return m_field; }

private:
    void refresh();

    DataSource *m_source = nullptr;
    QString m_field;
};
