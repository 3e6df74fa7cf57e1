#pragma once

#include <QDialog>

#include <functional>
#include <memory>

struct CitedCode;

namespace Ui
{
class TFrmPopupNota;
}

// The notes popup: the explanatory notes of the item on show, one section per non-empty text.
// Created for each opening, filled and shown modally by MostraNotas, freed by the caller.
class TFrmPopupNota : public QDialog
{
    Q_OBJECT
public:
    explicit TFrmPopupNota(QWidget *parent = nullptr);
    ~TFrmPopupNota() override;
    TFrmPopupNota(const TFrmPopupNota &) = delete;
    TFrmPopupNota &operator=(const TFrmPopupNota &) = delete;

    // Nivel: 1 Seção, 2 Divisão, 3 Grupo, 4 Classe, 5 SubClasse. Returns when the user closes
    // the window.
    void MostraNotas(QString NotaExplicativa, QString Compreende, QString TambemCompreende,
                     QString NaoCompreende, QString Notas, int Nivel);

    // Before MostraNotas: the codes cited in the notes for which exists() holds become links; a
    // click or Enter on one closes the popup, and chosenLink() then names it (codeLinkTarget).
    void setCodeLinks(std::function<bool(const CitedCode &)> exists) { m_codeExists = std::move(exists); }
    QString chosenLink() const { return m_chosenLink; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void shareHeight();

    std::unique_ptr<Ui::TFrmPopupNota> ui;
    std::function<bool(const CitedCode &)> m_codeExists;
    QString m_chosenLink;
};
