#pragma once

#include <QDialog>

namespace Ui {
class TForm5;
}
class QLabel;
class QFrame;

// Who made the program and where to find them; shown in the About window.
namespace About {
inline constexpr char authorName[] = "Команда Zarvo";
// Placeholder until the product has a page of its own.
inline constexpr char webAddress[] = "https://zarvo.example.org/";
} // namespace About

// The About window: picture, author, version and a link to the author's web page.
// Created once and hidden, not destroyed, when closed.
class TForm5 : public QDialog
{
    Q_OBJECT
public:
    explicit TForm5(QWidget *parent = nullptr);
    ~TForm5() override;

    QLabel *Label1;
    QLabel *Label2;
    QLabel *Label3;
    QLabel *Label4;
    QLabel *Label5;
    QLabel *Label6;
    QLabel *Image1;
    QFrame *Bevel1;

    void Label6MouseEnter();
    void Label6MouseLeave();
    void Label6Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void paintBevel();

    Ui::TForm5 *ui;
    bool m_linkPressed = false;
};

extern TForm5 *Form5;
