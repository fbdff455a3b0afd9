#include "Unit2.h"
#include "ui_Form2.h"

#include "Unit3.h"
#include "Unit4.h"
#include "controls/dialogs.h"
#include "controls/errorreport.h"
#include "controls/shelllist.h"
#include "controls/spinedit.h"
#include "core/datapaths.h"
#include "core/delimiters.h"
#include "core/error.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QShowEvent>

#include <filesystem>
#include <system_error>

QString DicPath;
TForm2 *Form2 = nullptr;

struct TForm2::DelimiterCache
{
    CachedDelimiterSet set;
};

namespace {

// Creates one folder level; a failure raises the system's I/O error.
void createFolder(const QString &path)
{
    std::error_code ec;
    std::filesystem::create_directory(std::filesystem::path(QFile::encodeName(path).toStdString()), ec);
    if (ec)
        throw ZarvoError(QString::fromLocal8Bit(ec.message()) + QStringLiteral(": ") + QDir::toNativeSeparators(path));
}

} // namespace

TForm2::TForm2(QWidget *parent)
    : QWidget(parent, Qt::Window), ui(new Ui::TForm2), m_delimiters(new DelimiterCache)
{
    ui->setupUi(this);
    // The main window's closing ends the program whether or not this one is shown.
    setAttribute(Qt::WA_QuitOnClose, false);

    ShellListView1 = ui->ShellListView1;
    ShellListView2 = ui->ShellListView2;
    Panel1 = ui->Panel1;
    Button4 = ui->Button4;
    Button1 = ui->Button1;
    Button2 = ui->Button2;
    Button3 = ui->Button3;
    Button5 = ui->Button5;
    Panel2 = ui->Panel2;
    Label3 = ui->Label3;
    Edit1 = ui->Edit1;
    Label4 = ui->Label4;
    Label5 = ui->Label5;
    BitBtn1 = ui->BitBtn1;
    Label1 = ui->Label1;
    SpinEdit1 = ui->SpinEdit1;

    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPixelSize(11);
    setFont(f);
    for (QLabel *label : {Label3, Label4, Label5, Label1})
        label->adjustSize();

    Edit1->setText(defaultDelimiterSpec());
    ui->SpinEdit1->setLimits(0, 20);
    ui->SpinEdit1->setSingleStep(1);
    SpinEdit1->setValue(4);

    connect(Button4, &QPushButton::clicked, this, [this] { guarded([this] { Button4Click(); }); });
    connect(Button1, &QPushButton::clicked, this, [this] { guarded([this] { Button1Click(); }); });
    connect(Button2, &QPushButton::clicked, this, [this] { guarded([this] { Button2Click(); }); });
    connect(Button3, &QPushButton::clicked, this, [this] { guarded([this] { Button3Click(); }); });
    connect(BitBtn1, &QPushButton::clicked, this, [this] { guarded([this] { BitBtn1Click(); }); });
    connect(Button5, &QPushButton::clicked, this, [this] { guarded([this] { Button5Click(); }); });
    for (ShellList *list : {ShellListView1, ShellListView2}) {
        connect(list, &QAbstractItemView::doubleClicked, this, [this] { guarded([this] { Button4Click(); }); });
        // One selection across both lists.
        ShellList *other = list == ShellListView1 ? ShellListView2 : ShellListView1;
        connect(list->selectionModel(), &QItemSelectionModel::selectionChanged, this, [list, other] {
            if (list->selectionModel()->hasSelection())
                other->clearSelection();
        });
    }

    // A folder that cannot be made is reported; the window exists all the same.
    guarded([this] { FormCreate(); });
}

TForm2::~TForm2()
{
    delete m_delimiters;
    delete ui;
}

QString TForm2::dictionaryFolder()
{
    return datapaths::current().dictionaries;
}

QString TForm2::selectedPath() const
{
    const QString ours = ShellListView1->selectedPath();
    return ours.isEmpty() ? ShellListView2->selectedPath() : ours;
}

void TForm2::FormCreate()
{
    const datapaths::Places &places = datapaths::current();
    ui->ShippedBox->setVisible(!places.shipped.isEmpty());
    if (!places.shipped.isEmpty())
        ShellListView2->setRootFolder(places.shipped);
    const QString folder = dictionaryFolder();
    if (!QFileInfo(folder).isDir()) {
        // Beside the program one level is made, as always; the user's data
        // folder of an installed copy may lack its parents on a first start.
        if (places.installed)
            QDir().mkpath(folder);
        createFolder(folder);
    }
    ShellListView1->setRootFolder(folder);
}

bool TForm2::isShipped(const QString &path)
{
    const QString shipped = datapaths::current().shipped;
    return !shipped.isEmpty() && QFileInfo(path).absolutePath() == shipped;
}

void TForm2::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;
    // Centred over the main window each time it is shown.
    if (QWidget *main = parentWidget()) {
        QRect frame = frameGeometry();
        frame.moveCenter(main->frameGeometry().center());
        move(frame.topLeft());
    }
}

QString TForm2::runOpenDialog(const QString &title)
{
    QString path = Dialogs::instance().openFile(this, title, m_lastChosen);
    if (!path.isEmpty())
        m_lastChosen = path;
    return path;
}

void TForm2::Button4Click()
{
    const QString path = selectedPath();
    if (path.isEmpty()) {
        showInformation(QStringLiteral("Сначало выделите словарь"));
        return;
    }
    // A damaged dictionary throws: the path is not recorded and the window stays.
    if (m_loadDictionary)
        m_loadDictionary(path);
    DicPath = path;
    hide();
}

void TForm2::Button1Click()
{
    const QString source = runOpenDialog(QStringLiteral("Выберите текст"));
    if (source.isEmpty())
        return;
    SrcFile = source;
    DstFile = dictionaryFolder() + QLatin1Char('/') + QFileInfo(source).fileName() + QStringLiteral(".slo");
    Delims = Edit1->text();
    if (Form3)
        Form3->exec();
}

void TForm2::Button2Click()
{
    const QString path = selectedPath();
    if (path.isEmpty()) {
        showInformation(QStringLiteral("Выберите словарь"));
        return;
    }
    if (isShipped(path)) {
        showError(QStringLiteral("Словарь «%1» поставляется с программой, его нельзя удалить")
                      .arg(QFileInfo(path).fileName()));
        return;
    }
    // Without asking; a folder or a file that cannot go simply stays.
    QFile::remove(path);
}

void TForm2::Button3Click()
{
    const QString source = runOpenDialog(QStringLiteral("Копировать словарь"));
    if (source.isEmpty())
        return;
    if (!QFileInfo(source).isFile()) {
        showError(QStringLiteral("Файл не существует"));
        return;
    }
    const QString name = QFileInfo(source).fileName();
    // QFile::copy never overwrites an existing file.
    if (!QFile::copy(source, ShellListView1->rootFolder() + QLatin1Char('/') + name))
        showError(QStringLiteral("Сначало удалите словарь ") + name);
}

void TForm2::Button5Click()
{
    const QString name = DicPath.isEmpty() ? QStringLiteral("работы без словаря") : QFileInfo(DicPath).fileName();
    const int answer = Dialogs::instance().ask(this, QStringLiteral("Словарь"),
                                               QStringLiteral("Забыть слова, запомненные для %1?").arg(name),
                                               {QStringLiteral("Забыть"), QStringLiteral("Отмена")});
    if (answer == 0 && m_forgetLearned)
        m_forgetLearned();
}

void TForm2::BitBtn1Click()
{
    Edit1->setText(defaultDelimiterSpec());
}

bool TForm2::isDelimiter(QChar c)
{
    return m_delimiters->set.contains(Edit1->text(), c);
}

bool IsDelimiter(QChar c)
{
    // Before the dictionary window exists there is no delimiter specification to read.
    return Form2 && Form2->isDelimiter(c);
}
