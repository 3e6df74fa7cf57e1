#include "app/Accessibility.h"

#include "app/DataGrid.h"
#include "app/LinkLabel.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QEvent>
#include <QLabel>
#include <QPointer>
#include <QStackedWidget>
#include <QTextDocumentFragment>

#include <algorithm>

namespace
{

const char kDecorative[] = "zeltDecorative";
const char kCaption[] = "zeltCaption";

QString withoutColon(QString text)
{
    text = text.trimmed();
    if (text.endsWith(QLatin1Char(':')))
        text.chop(1);
    return text.trimmed();
}

// A link label is a link: named by its text, pressed through the action interface as a click
// presses it (Enter, Space and the mouse all end in its clicked signal).
class AccessibleLink : public QAccessibleWidget
{
public:
    explicit AccessibleLink(LinkLabel *link) : QAccessibleWidget(link, QAccessible::Link) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            return link()->text().trimmed();
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.linked = true;
        return s;
    }

    QStringList actionNames() const override
    {
        return QStringList(pressAction()) << QAccessibleWidget::actionNames();
    }

    void doAction(const QString &actionName) override
    {
        if (actionName == pressAction() && link()->isEnabled() && link()->isVisible())
            emit link()->clicked();
        else
            QAccessibleWidget::doAction(actionName);
    }

    QStringList keyBindingsForAction(const QString &actionName) const override
    {
        if (actionName == pressAction())
            return {QStringLiteral("Return"), QStringLiteral("Space")};
        return QAccessibleWidget::keyBindingsForAction(actionName);
    }

private:
    LinkLabel *link() const { return static_cast<LinkLabel *>(widget()); }
};

// A stack of pages holds, for the listener, only the page on show: the others, with their
// placeholder texts, are not there to be read or walked into.
class AccessibleShownPage : public QAccessibleWidget
{
public:
    explicit AccessibleShownPage(QStackedWidget *stack) : QAccessibleWidget(stack, QAccessible::LayeredPane)
    {
    }

    int childCount() const override { return stack()->currentWidget() ? 1 : 0; }

    QAccessibleInterface *child(int index) const override
    {
        QWidget *shown = stack()->currentWidget();
        return index == 0 && shown ? QAccessible::queryAccessibleInterface(shown) : nullptr;
    }

    int indexOfChild(const QAccessibleInterface *child) const override
    {
        QWidget *shown = stack()->currentWidget();
        return child && shown && child->object() == shown ? 0 : -1;
    }

private:
    QStackedWidget *stack() const { return static_cast<QStackedWidget *>(widget()); }
};

// A picture that only decorates: without a name and reported invisible, so that readers pass it by.
class AccessibleDecoration : public QAccessibleWidget
{
public:
    explicit AccessibleDecoration(QWidget *widget) : QAccessibleWidget(widget, QAccessible::Separator) {}

    QString text(QAccessible::Text) const override { return QString(); }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.invisible = true;
        s.focusable = false;
        return s;
    }

    QStringList actionNames() const override { return {}; }
};

// A label the keyboard can select in reads as text: its characters, the caret at the end of the
// selection, the selection itself.
class AccessibleSelectableLabel : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    explicit AccessibleSelectableLabel(QLabel *label) : QAccessibleWidget(label, QAccessible::StaticText) {}

    void *interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        return QAccessibleWidget::interface_cast(t);
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty()) {
            const auto *caption =
                qobject_cast<const QLabel *>(widget()->property(kCaption).value<QObject *>());
            return caption ? withoutColon(caption->text()) : plainText();
        }
        if (t == QAccessible::Value)
            return plainText();
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.selectableText = true;
        s.readOnly = true;
        s.multiLine = true;
        return s;
    }

    void selection(int selectionIndex, int *startOffset, int *endOffset) const override
    {
        *startOffset = *endOffset = 0;
        if (selectionIndex == 0 && label()->hasSelectedText()) {
            *startOffset = label()->selectionStart();
            *endOffset = *startOffset + label()->selectedText().size();
        }
    }
    int selectionCount() const override { return label()->hasSelectedText() ? 1 : 0; }
    void addSelection(int startOffset, int endOffset) override { setSelection(0, startOffset, endOffset); }
    void removeSelection(int) override { label()->setSelection(cursorPosition(), 0); }
    void setSelection(int, int startOffset, int endOffset) override
    {
        const int start = bounded(std::min(startOffset, endOffset));
        label()->setSelection(start, bounded(std::max(startOffset, endOffset)) - start);
    }

    int cursorPosition() const override
    {
        int start = 0;
        int end = 0;
        selection(0, &start, &end);
        return end;
    }
    void setCursorPosition(int position) override { label()->setSelection(bounded(position), 0); }

    QString text(int startOffset, int endOffset) const override
    {
        return plainText().mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return int(plainText().size()); }

    // The label lays its text out privately: every character answers with the label's box.
    QRect characterRect(int) const override { return rect(); }
    int offsetAtPoint(const QPoint &) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int *startOffset, int *endOffset) const override
    {
        *startOffset = *endOffset = offset;
        return QString();
    }

private:
    QLabel *label() const { return static_cast<QLabel *>(widget()); }

    QString plainText() const
    {
        const QString shown = label()->text();
        const bool rich = label()->textFormat() == Qt::RichText ||
                          (label()->textFormat() == Qt::AutoText && Qt::mightBeRichText(shown));
        return rich ? QTextDocumentFragment::fromHtml(shown).toPlainText() : shown;
    }

    int bounded(int offset) const { return std::clamp(offset, 0, characterCount()); }
};

enum class Kind { Qt, Decoration, Link, ShownPage, SelectableLabel };

// Which of this program's interfaces describes the widget; Qt's own for the rest. Subclasses of
// QStackedWidget and QLabel other than the link keep Qt's.
Kind kindOf(QWidget *widget)
{
    if (widget->property(kDecorative).toBool())
        return Kind::Decoration;
    if (qobject_cast<LinkLabel *>(widget))
        return Kind::Link;
    if (widget->metaObject() == &QStackedWidget::staticMetaObject)
        return Kind::ShownPage;
    if (widget->metaObject() == &QLabel::staticMetaObject &&
        (static_cast<QLabel *>(widget)->textInteractionFlags() & Qt::TextSelectableByKeyboard))
        return Kind::SelectableLabel;
    return Kind::Qt;
}

QAccessibleInterface *programInterface(const QString &, QObject *object)
{
    auto *widget = qobject_cast<QWidget *>(object);
    if (!widget)
        return nullptr;
    switch (kindOf(widget)) {
    case Kind::Decoration:
        return new AccessibleDecoration(widget);
    case Kind::Link:
        return new AccessibleLink(static_cast<LinkLabel *>(widget));
    case Kind::ShownPage:
        return new AccessibleShownPage(static_cast<QStackedWidget *>(widget));
    case Kind::SelectableLabel:
        return new AccessibleSelectableLabel(static_cast<QLabel *>(widget));
    case Kind::Qt:
        break;
    }
    return nullptr;
}

// Watches what a value label may be changed by and renames it, once the change is done.
class CaptionedValue : public QObject
{
public:
    CaptionedValue(QLabel *value, const QLabel *caption) : QObject(value), m_value(value), m_caption(caption)
    {
        value->installEventFilter(this);
        rename();
    }

    void renameLater() { QMetaObject::invokeMethod(this, &CaptionedValue::rename, Qt::QueuedConnection); }

    void rename()
    {
        if (!m_caption)
            return;
        const QString name = withoutColon(m_caption->text()) + QLatin1String(": ") + m_value->text();
        if (name != m_value->accessibleName())
            m_value->setAccessibleName(name); // raises the name-changed event readers announce
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Show)
            rename();
        return false;
    }

private:
    QLabel *m_value;
    QPointer<const QLabel> m_caption;
};

} // namespace

void describeWidgets(QWidget *window)
{
    QAccessible::installFactory(programInterface);
    // Qt resolves, and keeps, a widget's interface at its first event (a label's text set while
    // the form is built), before the marks that choose this program's interface were made.
    QList<QWidget *> widgets = window->findChildren<QWidget *>();
    widgets.prepend(window);
    for (QWidget *widget : widgets) {
        if (kindOf(widget) == Kind::Qt)
            continue;
        if (QAccessibleInterface *described = QAccessible::queryAccessibleInterface(widget))
            QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(described));
    }
}

void markDecorative(QWidget *widget)
{
    widget->setProperty(kDecorative, true);
}

void nameByCaption(QLabel *text, const QLabel *caption)
{
    text->setProperty(kCaption, QVariant::fromValue(static_cast<QObject *>(const_cast<QLabel *>(caption))));
}

void nameByColumnTitle(DataGrid *grid, int column, const QString &fallback)
{
    const auto rename = [grid, column, fallback] {
        const QString title = withoutColon(grid->columnTitle(column));
        const QString name = title.isEmpty() ? fallback : title;
        if (name != grid->accessibleName())
            grid->setAccessibleName(name);
    };
    rename();
    if (QAbstractItemModel *model = grid->model()) {
        QObject::connect(model, &QAbstractItemModel::headerDataChanged, grid, rename);
        QObject::connect(model, &QAbstractItemModel::modelReset, grid, rename);
    }
}

void nameValueByCaption(QLabel *value, const QLabel *caption, DataGrid *reloadedWith)
{
    auto *watcher = new CaptionedValue(value, caption);
    if (QAbstractItemModel *model = reloadedWith->model())
        QObject::connect(model, &QAbstractItemModel::modelReset, watcher,
                         [watcher] { watcher->renameLater(); });
}
