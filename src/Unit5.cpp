#include "Unit5.h"
#include "ui_Form5.h"

#include "controls/errorreport.h"
#include "core/jpegimage.h"
#include "platform/shell.h"

#include <QIcon>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QUrl>

TForm5 *Form5 = nullptr;

TForm5::TForm5(QWidget *parent)
    : QDialog(parent), ui(new Ui::TForm5)
{
    ui->setupUi(this);
    Label1 = ui->Label1;
    Label2 = ui->Label2;
    Label3 = ui->Label3;
    Label4 = ui->Label4;
    Label5 = ui->Label5;
    Label6 = ui->Label6;
    Image1 = ui->Image1;
    Bevel1 = ui->Bevel1;

    // An ordinary sizeable window with the full set of title-bar controls.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    setWindowIcon(QIcon(QStringLiteral(":/about-icon.bmp")));
    move(240, 166); // the designed place, not centred over the main window

    // A damaged picture leaves the area empty; the window works without it.
    const QImage picture = loadJpeg(QStringLiteral(":/about.jpg"));
    if (!picture.isNull())
        Image1->setPixmap(QPixmap::fromImage(picture));

    Label2->setText(QString::fromUtf8(About::authorName));
    Label6->setText(QUrl(QString::fromUtf8(About::webAddress)).host());
    for (QLabel *label : {Label1, Label2, Label3, Label4, Label5, Label6})
        label->adjustSize();

    Label6->installEventFilter(this);
    Bevel1->installEventFilter(this);
}

TForm5::~TForm5()
{
    delete ui;
}

void TForm5::Label6MouseEnter()
{
    QFont font = Label6->font();
    font.setUnderline(true);
    Label6->setFont(font);
}

void TForm5::Label6MouseLeave()
{
    QFont font = Label6->font();
    font.setUnderline(false);
    Label6->setFont(font);
}

void TForm5::Label6Click()
{
    Shell::open(QString::fromUtf8(About::webAddress));
}

bool TForm5::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Label6) {
        switch (event->type()) {
        case QEvent::Enter:
            guarded([this] { Label6MouseEnter(); });
            break;
        case QEvent::Leave:
            guarded([this] { Label6MouseLeave(); });
            break;
        case QEvent::MouseButtonPress:
            m_linkPressed = static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton;
            break;
        case QEvent::MouseButtonRelease: {
            // A click is a left press and release both on the link.
            const auto *mouse = static_cast<QMouseEvent *>(event);
            const bool click = m_linkPressed && mouse->button() == Qt::LeftButton
                               && Label6->rect().contains(mouse->position().toPoint());
            m_linkPressed = false;
            if (click)
                guarded([this] { Label6Click(); });
            break;
        }
        default:
            break;
        }
    } else if (watched == Bevel1 && event->type() == QEvent::Paint) {
        paintBevel();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

// A single lowered line along the bevel's left edge: shadow, then highlight.
void TForm5::paintBevel()
{
    QPainter painter(Bevel1);
    const int bottom = Bevel1->height() - 1;
    painter.setPen(Bevel1->palette().color(QPalette::Dark));
    painter.drawLine(0, 0, 0, bottom);
    painter.setPen(Bevel1->palette().color(QPalette::Light));
    painter.drawLine(1, 0, 1, bottom);
}

// The window has no keys of its own: Escape and Enter do not close it, only the title bar does.
void TForm5::keyPressEvent(QKeyEvent *event)
{
    QWidget::keyPressEvent(event); // NOLINT(bugprone-parent-virtual-call): QDialog's handling is what is skipped
}
