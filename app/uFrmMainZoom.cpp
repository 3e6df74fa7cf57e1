// The texts' size in the main window: Ctrl+plus, Ctrl+minus and Ctrl+0 step it, and the whole
// window follows, its places and sizes scaled with its fonts.
#include "app/uFrmMain.h"

#include "app/DataGrid.h"
#include "app/GrowingLayout.h"
#include "app/TextZoom.h"
#include "app/WindowLook.h"
#include "ui_uFrmMain.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QHash>
#include <QHeaderView>
#include <QLabel>
#include <QScreen>
#include <QShortcut>
#include <QToolTip>

namespace
{

// The window as built at the designed size, and the same window at any zoom.
class MainWindowZoom : public QObject
{
public:
    MainWindowZoom(QMainWindow *window, Ui::TFrmMain &ui) : QObject(window), m_window(window), m_ui(ui)
    {
        m_minimum = window->minimumSize();
        m_header = ui.PnlCabecalho->minimumSize();
        // The home page and the header's links are laid out as designed; the other pages and the
        // header itself already grow with the window.
        const QSize page(m_minimum.width(), m_minimum.height() - m_header.height());
        if (!GrowingLayout::of(ui.TbSPrincipal))
            new GrowingLayout(ui.TbSPrincipal, page);
        if (!GrowingLayout::of(ui.PnlLinks))
            new GrowingLayout(ui.PnlLinks, ui.PnlLinks->size());
        for (DataGrid *grid : window->findChildren<DataGrid *>())
            m_rowHeights.insert(grid, grid->verticalHeader()->defaultSectionSize());
        m_logo = ui.ImgLogo->pixmap();
    }

    // Whether the window at `percent` still fits the screen it stands on, frame included.
    bool fits(int percent) const
    {
        const QScreen *screen = m_window->screen();
        if (!screen || percent <= TextZoom::Designed)
            return true;
        const QSize frame = m_window->frameGeometry().size() - m_window->geometry().size();
        const QSize needed = zoomedSize(m_minimum, percent / 100.0) + frame;
        return screen->availableGeometry().width() >= needed.width() &&
               screen->availableGeometry().height() >= needed.height();
    }

    void step(int percent)
    {
        if (fits(percent))
            TextZoom::instance().setPercent(percent);
    }

    void apply()
    {
        const qreal factor = TextZoom::instance().factor();
        // Labels as large as their text stay so, wherever they stand (links made beside others).
        QList<QLabel *> sizedToText;
        for (QLabel *label : m_window->findChildren<QLabel *>()) {
            if (label->pixmap().isNull() && !label->wordWrap() && label->size() == label->sizeHint())
                sizedToText.append(label);
        }
        m_window->setFont(zoomedFont(windowFont(), factor));
        for (QLabel *label : sizedToText)
            label->adjustSize();
        // Windows of their own, which do not inherit the window's font.
        if (const QCompleter *completions = m_ui.EdtPesquisa->completer())
            completions->popup()->setFont(m_window->font());
        QToolTip::setFont(m_window->font());

        const QSize header = zoomedSize(m_header, factor);
        m_ui.PnlCabecalho->setMinimumSize(header);
        m_ui.PnlCabecalho->setMaximumHeight(header.height());
        for (auto it = m_rowHeights.cbegin(); it != m_rowHeights.cend(); ++it)
            it.key()->verticalHeader()->setDefaultSectionSize(zoomed(it.value(), factor));
        for (GrowingLayout *layout : m_window->findChildren<GrowingLayout *>())
            layout->setScale(factor);
        m_window->setMinimumSize(zoomedSize(m_minimum, factor));
        showLogo(factor);
    }

private:
    // The logo as large as the texts, drawn from the picture twice as large.
    void showLogo(qreal factor)
    {
        if (factor == 1) {
            m_ui.ImgLogo->setPixmap(m_logo);
            return;
        }
        const qreal scale = m_window->devicePixelRatioF();
        const QSize pixels = (QSizeF(m_ui.ImgLogo->size()) * scale).toSize();
        QPixmap logo = QPixmap(QStringLiteral(":/images/logo@2x.png"))
                           .scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        logo.setDevicePixelRatio(scale);
        m_ui.ImgLogo->setPixmap(logo);
    }

    QMainWindow *m_window;
    Ui::TFrmMain &m_ui;
    QSize m_minimum;
    QSize m_header;
    QHash<DataGrid *, int> m_rowHeights;
    QPixmap m_logo;
};

} // namespace

void TFrmMain::attachTextZoom()
{
    auto *zoom = new MainWindowZoom(this, *ui);
    const auto bind = [this, zoom](const QKeySequence &keys, const std::function<int(int)> &next) {
        connect(new QShortcut(keys, this), &QShortcut::activated, zoom,
                [zoom, next] { zoom->step(next(TextZoom::instance().percent())); });
    };
    const auto larger = [](int percent) { return TextZoom::stepAbove(percent); };
    const auto smaller = [](int percent) { return TextZoom::stepBelow(percent); };
    const auto designed = [](int) { return int(TextZoom::Designed); };
    const auto keys = [](Qt::KeyboardModifiers modifiers, Qt::Key key) {
        return QKeySequence(QKeyCombination(Qt::ControlModifier | modifiers, key));
    };
    // Ctrl+plus as typed on any keyboard: with or without Shift, on the main keys or the keypad.
    for (const QKeySequence &sequence : {keys({}, Qt::Key_Plus), keys(Qt::ShiftModifier, Qt::Key_Plus),
                                         keys({}, Qt::Key_Equal), keys(Qt::KeypadModifier, Qt::Key_Plus)})
        bind(sequence, larger);
    for (const QKeySequence &sequence : {keys({}, Qt::Key_Minus), keys(Qt::KeypadModifier, Qt::Key_Minus)})
        bind(sequence, smaller);
    for (const QKeySequence &sequence : {keys({}, Qt::Key_0), keys(Qt::KeypadModifier, Qt::Key_0)})
        bind(sequence, designed);
    connect(&TextZoom::instance(), &TextZoom::changed, zoom, [zoom] { zoom->apply(); });

    // The level the last run left, as far as the screen holds it.
    TextZoom::instance().restore();
    int percent = TextZoom::instance().percent();
    while (!zoom->fits(percent))
        percent = TextZoom::stepBelow(percent);
    TextZoom::instance().setPercent(percent);
    if (percent != TextZoom::Designed)
        zoom->apply();
}
