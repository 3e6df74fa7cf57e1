#pragma once

#include <QDialog>

#include <memory>

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

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void shareHeight();

    std::unique_ptr<Ui::TFrmPopupNota> ui;
};
