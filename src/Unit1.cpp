#include "Unit1.h"
#include "ui_Form1.h"

#include "Unit2.h"
#include "Unit3.h"
#include "Unit5.h"
#include "controls/dialogs.h"
#include "controls/editor.h"
#include "controls/errorreport.h"
#include "controls/searchedit.h"
#include "controls/suggestionlist.h"
#include "core/altlayout.h"
#include "core/helptext.h"
#include "core/keyboard.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QScreen>
#include <QStatusBar>

TForm1 *Form1 = nullptr;

TForm1::TForm1(const QStringList &arguments, QWidget *parent)
    : QMainWindow(parent), ui(new Ui::TForm1)
{
    ui->setupUi(this);
    RichEdit1 = ui->RichEdit1;
    Splitter1 = ui->Splitter1;
    ListBox1 = ui->ListBox1;
    Panel1 = ui->Panel1;
    Panel2 = ui->Panel2;
    Label1 = ui->Label1;
    Edit1 = ui->Edit1;
    CheckBox1 = ui->CheckBox1;
    CheckBox2 = ui->CheckBox2;
    StatusBar1 = ui->StatusBar1;

    setWindowTitle(QStringLiteral("Zarvo"));
    setGeometry(198, 120, 544, 375);

    // The list keeps its width when the window is resized; the editor takes the rest.
    Splitter1->setStretchFactor(0, 1);
    Splitter1->setStretchFactor(1, 0);
    Splitter1->setSizes({544 - 121 - 1, 121});
    ListBox1->setMinimumWidth(1); // the width the user or the settings give is kept exactly

    for (QLabel *&panel : StatusPanels) {
        panel = new QLabel(StatusBar1);
        panel->setFixedWidth(50);
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        StatusBar1->addWidget(panel);
    }
    StatusPanels[0]->setAlignment(Qt::AlignCenter);

    connect(ui->N1, &QAction::triggered, this, [this] { guarded([this] { N1Click(); }); });
    connect(ui->N2, &QAction::triggered, this, [this] { guarded([this] { N2Click(); }); });
    connect(ui->N5, &QAction::triggered, this, [this] { guarded([this] { N5Click(); }); });
    connect(ui->N4, &QAction::triggered, this, [this] { guarded([this] { N4Click(); }); });
    connect(ui->N7, &QAction::triggered, this, [this] { guarded([this] { N7Click(); }); });
    connect(ui->N8, &QAction::triggered, this, [this] { guarded([this] { N8Click(); }); });
    connect(ui->N10, &QAction::triggered, this, [this] { guarded([this] { N10Click(); }); });
    connect(ui->N11, &QAction::triggered, this, [this] { guarded([this] { pomenyat_shrift(); }); });
    connect(ui->N13, &QAction::triggered, this, [this] { guarded([this] { N13Click(); }); });
    connect(ui->N15, &QAction::triggered, this, [this] { guarded([this] { Pokazat_help(); }); });
    connect(ui->N14, &QAction::triggered, this, [this] { guarded([this] { N14Click(); }); });

    RichEdit1->setKeyDownHandler([this](quint16 &key, TShiftState shift) {
        guarded([&] { Memo1KeyDown(key, shift); });
    });
    RichEdit1->setSelectionChangeHandler([this] { guarded([this] { kursor_pomenalsa(); }); });

    setupSuggestions();
    setupSearch();
    setupFiles();
    setupRecovery();
    setupEncodingMenu();
    fitSearchPanel();
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState s) {
        if (s != Qt::ApplicationActive)
            m_returningFromOutside = true;
    });

    RichEdit1->setFocus();
    FormCreate(arguments);
}

TForm1::~TForm1()
{
    FormDestroy();
    Form2 = nullptr; // owned by this window
    delete ui;
}

void TForm1::FormCreate(const QStringList &arguments)
{
    // Each step runs only when the ones before it succeeded.
    guarded([&] {
        Words.clear();
        readSettings();
        applyFontToList();
        Form2 = new TForm2(this);
        Form2->setDictionaryLoader([this](const QString &path) { LoadDictionary(path); });
        Form2->setLearnedForgetter([this] { forgetLearnedWords(); });
        watchDelimiterField();
        loadStoredDictionary();
        if (arguments.size() > 1)
            OpenDocument(arguments.at(1));
        else
            offerOrphanRecovery();
    });
    if (!Form2) {
        Form2 = new TForm2(this);
        Form2->setDictionaryLoader([this](const QString &path) { LoadDictionary(path); });
        Form2->setLearnedForgetter([this] { forgetLearnedWords(); });
        watchDelimiterField();
    }
}

void TForm1::FormDestroy()
{
    guarded([this] { writeSettings(); });
}

void TForm1::FormActivate()
{
    UpdateCaretPanel();
    applyFontToEditor();
}

bool TForm1::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate) {
        // Not on return from another program or from a common dialog.
        const bool outside = m_returningFromOutside && m_activeBefore;
        const bool commonDialog = Dialogs::takeCommonDialogReturn();
        m_returningFromOutside = false;
        if (!m_activeBefore || (!outside && !commonDialog)) {
            m_activeBefore = true;
            guarded([this] { FormActivate(); });
        }
    }
    return QMainWindow::event(event);
}

void TForm1::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
}

void TForm1::closeEvent(QCloseEvent *event)
{
    bool goOn = false;
    guarded([&] { goOn = confirmDiscard(); });
    if (!goOn)
        event->ignore();
    else
        QMainWindow::closeEvent(event);
}

bool TForm1::eventFilter(QObject *watched, QEvent *event)
{
    if (searchEventFilter(watched, event))
        return true;
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::fitSearchPanel()
{
    // The panel's controls keep their designed lefts and widths unless the
    // screen's font needs more room for their captions; then later ones move right.
    int right = 0;
    for (QWidget *w : {static_cast<QWidget *>(Panel2), static_cast<QWidget *>(Label1),
                       static_cast<QWidget *>(Edit1), static_cast<QWidget *>(CheckBox1),
                       static_cast<QWidget *>(CheckBox2)}) {
        const bool caption = w == Label1 || w == CheckBox1 || w == CheckBox2;
        const int width = caption ? qMax(w->width(), w->sizeHint().width()) : w->width();
        const int left = qMax(w->x(), right + 4);
        w->setGeometry(left, w->y(), width, w->height());
        right = left + width;
    }
}

void TForm1::updateCaption()
{
    setWindowTitle(FileName.isEmpty() ? QStringLiteral("Zarvo") : FileName);
}

void TForm1::UpdateCaretPanel()
{
    StatusPanels[0]->setText(QStringLiteral("%1: %2")
                                 .arg(RichEdit1->caretLine() + 1)
                                 .arg(RichEdit1->caretColumn() + 1));
}

void TForm1::N1Click()
{
    const QString path = Dialogs::instance().openFile(this, QStringLiteral("Открыть файл"), FileName);
    if (!path.isEmpty() && confirmDiscard())
        OpenDocument(path);
}

void TForm1::N2Click()
{
    saveCommand();
}

bool TForm1::saveCommand()
{
    if (!FileName.isEmpty())
        return saveDocument(FileName);
    const QString path = Dialogs::instance().openFile(this, QStringLiteral("Сохранить файл"), FileName);
    if (path.isEmpty())
        return false;
    SaveDocumentAs(path);
    return true;
}

void TForm1::N5Click()
{
    const QString path = Dialogs::instance().saveFile(this, QStringLiteral("Сохранить файл как"), FileName);
    if (!path.isEmpty())
        SaveDocumentAs(path);
}

void TForm1::N4Click()
{
    close();
}

void TForm1::pomenyat_shrift()
{
    QFont font = dialogFont();
    QColor color = dialogFontColor();
    if (!Dialogs::instance().chooseFont(this, font, color))
        return;
    const int charset = FontDialog1.charset;
    FontDialog1 = FontSpec::fromQFont(font, color, screenDpi());
    FontDialog1.charset = charset;
    applyFontToEditor();
    applyFontToList();
}

void TForm1::N13Click()
{
    Form2->show();
    Form2->raise();
    Form2->activateWindow();
}

void TForm1::N14Click()
{
    if (Form5)
        Form5->exec();
}

void TForm1::Pokazat_help()
{
    // One undoable step, like every change the program makes for the user.
    const QString text = withHelpText(RichEdit1->lines());
    RichEdit1->replaceAllText(text, int(text.size()));
}

void TForm1::Memo1KeyDown(quint16 &key, TShiftState shift)
{
    const QString other = AltLayoutChar(key, shift, Keyboard::current());
    if (!other.isEmpty())
        RichEdit1->typeText(other);
    if (ctrlDigitCompletion(key, shift)) {
        key = 0;
        return;
    }
    ctrlCompletion(key);
}

QFont TForm1::dialogFont() const
{
    return FontDialog1.toQFont(screenDpi());
}

QColor TForm1::dialogFontColor() const
{
    return FontDialog1.toQColor(palette());
}

void TForm1::applyFontToEditor()
{
    RichEdit1->setFont(dialogFont());
    RichEdit1->setTextColor(dialogFontColor());
}

void TForm1::applyFontToList()
{
    ListBox1->setFont(dialogFont());
    QPalette p = ListBox1->palette();
    p.setColor(QPalette::Text, dialogFontColor());
    ListBox1->setPalette(p);
}

int TForm1::screenDpi()
{
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        return qRound(screen->logicalDotsPerInchY());
    return 96;
}
