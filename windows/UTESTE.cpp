#include "windows/UTESTE.h"

#include "app/Dialogs.h"
#include "app/TextZoom.h"
#include "app/WindowLook.h"
#include "browse/NoteCodeLinks.h"
#include "ui_UTESTE.h"
#include "windows/PopupAccessibility.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>

#include <algorithm>
#include <numeric>
#include <utility>

namespace
{

// Blanks and control characters at either end do not make a note: only what lies between them.
bool isEmptyNote(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() > 0x20)
            return false;
    }
    return true;
}

struct LevelCaptions {
    const char *window;
    const char *compreende;
    const char *tambemCompreende;
    const char *naoCompreende;
};

// "Esta grupo" is the system's own wording.
const LevelCaptions kLevelCaptions[] = {
    {"Notas Explicativas - Seção", "Esta seção compreende", "Esta seção compreende também",
     "Esta seção não compreende"},
    {"Notas Explicativas - Divisão", "Esta divisão compreende", "Esta divisão compreende também",
     "Esta divisão não compreende"},
    {"Notas Explicativas - Grupo", "Esta grupo compreende", "Esta grupo compreende também",
     "Esta grupo não compreende"},
    {"Notas Explicativas - Classe", "Esta classe compreende", "Esta classe compreende também",
     "Esta classe não compreende"},
    {"Notas Explicativas - SubClasse", "Esta subclasse compreende", "Esta subclasse compreende também",
     "Esta subclasse não compreende"},
};

// A note's text has the keyboard focus, yet its box does the scrolling: the arrows up and down
// and the page keys scroll the box (with Shift they still select).
class KeysScrollTheBox : public QObject
{
public:
    KeysScrollTheBox(QLabel *text, QScrollArea *box) : QObject(text), m_box(box)
    {
        text->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->modifiers() & ~Qt::KeypadModifier)
            return false;
        QScrollBar *bar = m_box->verticalScrollBar();
        switch (key->key()) {
        case Qt::Key_Down:
            bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
            return true;
        case Qt::Key_Up:
            bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
            return true;
        case Qt::Key_PageDown:
            bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
            return true;
        case Qt::Key_PageUp:
            bar->triggerAction(QAbstractSlider::SliderPageStepSub);
            return true;
        default:
            return false;
        }
    }

private:
    QScrollArea *m_box;
};

} // namespace

TFrmPopupNota::TFrmPopupNota(QWidget *parent) : QDialog(parent), ui(std::make_unique<Ui::TFrmPopupNota>())
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowMaximizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setWindowIcon(programIcon());
    // At the texts' size of the main window.
    const qreal factor = TextZoom::instance().factor();
    setFont(zoomedFont(windowFont(), factor));
    // The designed size is the smallest; the user may enlarge the popup for a long note.
    setMinimumSize(zoomedSize(QSize(522, 522), factor));
    resize(minimumSize());
    // Headings stand at 8, 8 of their panel: the layout gives the top, this the left.
    for (QLabel *heading : {ui->LblTextoNotasExplicativas, ui->LblTextoCompreende,
                            ui->LblTextoTambemCompreende, ui->LblTextoNaoCompreende, ui->LblTextoNotas}) {
        heading->setContentsMargins(7, 0, 0, 0);
        heading->setFixedHeight(zoomed(heading->minimumHeight(), factor));
        QMargins around = heading->parentWidget()->layout()->contentsMargins();
        around.setTop(zoomed(around.top(), factor));
        heading->parentWidget()->layout()->setContentsMargins(around);
    }
    ui->PnlNoResult->setFixedHeight(zoomed(ui->PnlNoResult->minimumHeight(), factor));
    ui->Label5->move(zoomed(ui->Label5->x(), factor), zoomed(ui->Label5->y(), factor));
    ui->Label5->adjustSize();
    // The notes can be selected and copied, never edited; Tab goes from note to note, and only
    // to them.
    const std::pair<QLabel *, QScrollArea *> notes[] = {
        {ui->LblNotaExplicativa_Texto, ui->ScrNotaExplicativa},
        {ui->LblCompreende_Texto, ui->ScrCompreende},
        {ui->LblTambemCompreende_Texto, ui->ScrTambemCompreende},
        {ui->LblNaoCompreende_Texto, ui->ScrNaoCompreende},
        {ui->LblNotas_Texto, ui->ScrNotas}};
    ui->ScrollBox1->setFocusPolicy(Qt::NoFocus);
    for (const auto &[text, box] : notes) {
        text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        text->setFocusPolicy(Qt::StrongFocus);
        box->setFocusPolicy(Qt::NoFocus);
        new KeysScrollTheBox(text, box);
    }
    describeNotesPopup(this);
}

TFrmPopupNota::~TFrmPopupNota() = default;

void TFrmPopupNota::MostraNotas(QString NotaExplicativa, QString Compreende, QString TambemCompreende,
                                QString NaoCompreende, QString Notas, int Nivel)
{
    if (Nivel >= 1 && Nivel <= 5) {
        const LevelCaptions &captions = kLevelCaptions[Nivel - 1];
        setWindowTitle(QString::fromUtf8(captions.window));
        ui->LblTextoNotasExplicativas->setText(QStringLiteral("Notas Explicativas"));
        ui->LblTextoCompreende->setText(QString::fromUtf8(captions.compreende));
        ui->LblTextoTambemCompreende->setText(QString::fromUtf8(captions.tambemCompreende));
        ui->LblTextoNaoCompreende->setText(QString::fromUtf8(captions.naoCompreende));
        ui->LblTextoNotas->setText(QStringLiteral("Notas"));
    }

    const struct {
        QString &text;
        QWidget *panel;
        QLabel *label;
    } sections[] = {
        {NotaExplicativa, ui->PnlNotasExplicativas, ui->LblNotaExplicativa_Texto},
        {Compreende, ui->PnlCompreende, ui->LblCompreende_Texto},
        {TambemCompreende, ui->PnlTambemCompreende, ui->LblTambemCompreende_Texto},
        {NaoCompreende, ui->PnlNaoCompreende, ui->LblNaoCompreende_Texto},
        {Notas, ui->PnlNotas, ui->LblNotas_Texto},
    };
    bool shown = false;
    for (const auto &section : sections) {
        if (isEmptyNote(section.text)) {
            section.panel->setVisible(false);
            continue;
        }
        section.label->setText(section.text.replace(QLatin1Char('#'), QLatin1Char('-')));
        const QString linked = m_codeExists ? noteWithCodeLinks(section.text, m_codeExists) : QString();
        if (!linked.isEmpty()) {
            section.label->setTextFormat(Qt::RichText);
            section.label->setText(linked);
            section.label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard |
                                                   Qt::LinksAccessibleByMouse |
                                                   Qt::LinksAccessibleByKeyboard);
            connect(section.label, &QLabel::linkActivated, this, [this](const QString &link) {
                m_chosenLink = link;
                accept();
            });
        }
        section.panel->setVisible(true);
        shown = true;
    }
    ui->PnlNoResult->setVisible(!shown);
    shareHeight();
    // The keyboard starts in the first note shown, so that the keys scroll, select and copy it.
    for (const auto &section : sections) {
        if (section.panel->isVisibleTo(this)) {
            section.label->setFocus(Qt::OtherFocusReason);
            break;
        }
    }

    if (const QScreen *desktop = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(desktop->availableGeometry().center());
        move(frame.topLeft());
    }
    dialogs::execModal(*this);
}

void TFrmPopupNota::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    ui->ScrollBox1->setGeometry(rect());
    shareHeight();
}

// The boxes of the shown sections share the popup's height by what their texts need. When every
// text fits in a box of at least its designed height, so it is; otherwise the short texts keep
// only the height they need and the room left goes to the long ones, in proportion to how much
// more each needs.
void TFrmPopupNota::shareHeight()
{
    struct Box {
        QFrame *panel;
        QScrollArea *box;
        int designed;
        int need = 0;
        int height = 0;
    };
    // Designed box heights; each panel is its box plus 25 pixels for the heading.
    Box boxes[] = {{ui->PnlNotasExplicativas, ui->ScrNotaExplicativa, 73},
                   {ui->PnlCompreende, ui->ScrCompreende, 80},
                   {ui->PnlTambemCompreende, ui->ScrTambemCompreende, 80},
                   {ui->PnlNaoCompreende, ui->ScrNaoCompreende, 80},
                   {ui->PnlNotas, ui->ScrNotas, 80}};
    const qreal factor = TextZoom::instance().factor();
    for (Box &b : boxes)
        b.designed = zoomed(b.designed, factor);
    const int heading = zoomed(25, factor);
    // The scroll box's own frame, not its viewport, which is laid out only once shown.
    const QRect inside = ui->ScrollBox1->contentsRect();
    int room = inside.height() - (ui->PnlNoResult->isVisibleTo(this) ? zoomed(20, factor) : 0);
    QVector<Box *> shown;
    for (Box &b : boxes) {
        if (!b.panel->isVisibleTo(this))
            continue;
        const int frame = 2 * b.box->frameWidth();
        const int width = inside.width() - 2 * b.panel->frameWidth() - frame;
        b.need = b.box->widget()->heightForWidth(width) + frame;
        b.height = std::max(b.designed, b.need);
        room -= heading + b.height;
        shown.append(&b);
    }
    if (room < 0) {
        room += std::accumulate(shown.begin(), shown.end(), 0,
                                [](int sum, const Box *b) { return sum + b->height; });
        int wanted = 0;
        for (Box *b : shown) {
            b->height = std::min(b->designed, b->need);
            room -= b->height;
            wanted += b->need - b->height;
        }
        // What rounding down leaves goes to the last box that needs more.
        Box *lastNeedy = nullptr;
        const int spare = std::max(0, room);
        int left = spare;
        for (Box *b : shown) {
            if (b->need <= b->height)
                continue;
            const int share =
                std::min(b->need - b->height, int(qint64(spare) * (b->need - b->height) / wanted));
            b->height += share;
            left -= share;
            lastNeedy = b;
        }
        if (lastNeedy && wanted > spare)
            lastNeedy->height += left;
    } else if (room > 0 && !shown.isEmpty() && height() > minimumHeight()) {
        // In a popup enlarged beyond its design (maximised, say), the room to spare goes to the
        // boxes in proportion to their heights, so that the sections fill the popup.
        const int total = std::accumulate(shown.begin(), shown.end(), 0,
                                          [](int sum, const Box *b) { return sum + b->height; });
        int left = room;
        for (Box *b : shown) {
            const int share = int(qint64(room) * b->height / total);
            b->height += share;
            left -= share;
        }
        shown.last()->height += left;
    }
    for (Box *b : shown) {
        b->box->setFixedHeight(b->height);
        b->panel->setFixedHeight(b->height + heading);
    }
}
