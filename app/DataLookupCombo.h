#pragma once

#include <QComboBox>
#include <QVariant>

class DataSource;

// A drop-down list of a data source's rows: shows one column, keeps another as each entry's key.
// The list is refilled whenever the query reloads; picked() is raised only by the user's choice:
// a pick in the opened list or an arrow key, never a wheel turn over the closed list.
class DataLookupCombo : public QComboBox
{
    Q_OBJECT
public:
    explicit DataLookupCombo(QWidget *parent = nullptr);

    void bind(DataSource &source, const QString &keyField, const QString &listField);
    DataSource *listSource() const { return m_source; }
    QString keyField() const { return m_keyField; }
    QString listField() const { return m_listField; }

    // The key of the shown entry; invalid when none is shown.
    QVariant keyValue() const;
    // Shows the entry with this key (compared as text), or none when no entry has it. The key is
    // kept, so an entry that comes back with a reload of the rows is shown again.
    void setKeyValue(const QVariant &key);

Q_SIGNALS:
    void picked();

protected:
    void wheelEvent(QWheelEvent *event) override;

private:
    void reloadItems();
    void showKey();

    DataSource *m_source = nullptr;
    QString m_keyField;
    QString m_listField;
    QVariant m_key;
};
