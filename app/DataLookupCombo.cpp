#include "app/DataLookupCombo.h"

#include "data/DataSource.h"
#include "data/Query.h"

#include <QWheelEvent>

DataLookupCombo::DataLookupCombo(QWidget *parent) : QComboBox(parent)
{
    setEditable(false);
    connect(this, &QComboBox::activated, this, [this](int index) {
        m_key = itemData(index);
        emit picked();
    });
}

void DataLookupCombo::bind(DataSource &source, const QString &keyField, const QString &listField)
{
    if (m_source)
        m_source->dataSet().disconnect(this);
    m_source = &source;
    m_keyField = keyField;
    m_listField = listField;
    connect(&source.dataSet(), &Query::reloaded, this, &DataLookupCombo::reloadItems);
    reloadItems();
}

QVariant DataLookupCombo::keyValue() const
{
    return currentIndex() >= 0 ? itemData(currentIndex()) : QVariant();
}

void DataLookupCombo::setKeyValue(const QVariant &key)
{
    m_key = key;
    showKey();
}

void DataLookupCombo::showKey()
{
    int found = -1;
    if (m_key.isValid() && !m_key.isNull()) {
        const QString wanted = m_key.toString();
        for (int i = 0; i < count() && found < 0; ++i) {
            if (itemData(i).toString() == wanted)
                found = i;
        }
    }
    setCurrentIndex(found);
}

// Refills the entries in the query's order; the kept key is shown when it is listed.
void DataLookupCombo::reloadItems()
{
    const QSignalBlocker quiet(this);
    clear();
    const Query &query = m_source->dataSet();
    const int keyColumn = query.columnIndex(m_keyField);
    const int listColumn = query.columnIndex(m_listField);
    if (query.isOpen() && keyColumn >= 0 && listColumn >= 0) {
        for (int row = 0; row < query.recordCount(); ++row)
            addItem(query.value(row, listColumn).toString(), query.value(row, keyColumn));
    }
    showKey();
}

// A wheel turned over the closed list, on its way down the page, must not change the choice; the
// turn goes on to what holds the list.
void DataLookupCombo::wheelEvent(QWheelEvent *event)
{
    event->ignore();
}
