// The main window's members that open the notes popup and the help window.
#include "app/uFrmMain.h"

#include "browse/NoteCodeLinks.h"
#include "data/DataError.h"
#include "windows/UFrmPopup.h"
#include "windows/UTESTE.h"

#include <QStringList>

void TFrmMain::LblNotasExplicativas_TbsSecaoClick(QObject *Sender)
{
    if (!Sender)
        return;
    // The links are named LblNotasExplicativas_ followed by the page they sit on.
    static const QStringList pages = {QStringLiteral("tbssecao"), QStringLiteral("tbsdivisao"),
                                      QStringLiteral("tbsgrupo"), QStringLiteral("tbsclasse"),
                                      QStringLiteral("tbssubclasse")};
    const int Nivel = pages.indexOf(Sender->objectName().mid(21).toLower()) + 1;
    if (Nivel == 0)
        return;
    TFrmPopupNota FrmPopupNota;
    // Only codes of items this edition has become links.
    FrmPopupNota.setCodeLinks([this](const CitedCode &code) {
        try {
            return !citedItemAncestors(code).isEmpty();
        } catch (const DataError &) {
            return false;
        }
    });
    FrmPopupNota.MostraNotas(nav.NotaExplicativa, nav.Compreende, nav.TambemCompreende, nav.NaoCompreende,
                             nav.Notas, Nivel);
    CitedCode chosen;
    if (parseCodeLinkTarget(FrmPopupNota.chosenLink(), chosen))
        openCitedCode(chosen);
}

void TFrmMain::AbreJanelaAjuda(int Pagina)
{
    TFrmPopup FrmPopup(DtmMain);
    FrmPopup.AbrePagina(Pagina);
}
