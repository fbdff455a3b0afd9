#include "Unit1.h"

#include "controls/dialogs.h"
#include "controls/editor.h"
#include "controls/errorreport.h"
#include "core/document.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>

void TForm1::setupFiles()
{
    m_watcher = new QFileSystemWatcher(this);
    // Programs that replace a file do it in several steps (write, rename,
    // chmod); look once they are done, once for a burst of changes.
    auto *later = new QTimer(this);
    later->setSingleShot(true);
    later->setInterval(150);
    connect(later, &QTimer::timeout, this, [this] { guarded([this] { checkDiskChange(); }); });
    connect(m_watcher, &QFileSystemWatcher::fileChanged, later, qOverload<>(&QTimer::start));
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, later, qOverload<>(&QTimer::start));
}

void TForm1::watchDocument()
{
    if (!m_watcher->files().isEmpty())
        m_watcher->removePaths(m_watcher->files());
    if (!m_watcher->directories().isEmpty())
        m_watcher->removePaths(m_watcher->directories());
    if (FileName.isEmpty())
        return;
    // The folder too: a file replaced by rename or deleted is no longer
    // watched by its old name.
    m_watcher->addPath(FileName);
    m_watcher->addPath(QFileInfo(FileName).absolutePath());
}

void TForm1::OpenDocument(const QString &path)
{
    openDocumentIn(path, std::nullopt);
}

void TForm1::openDocumentIn(const QString &path, std::optional<textformat::Encoding> encoding)
{
    if (!QFileInfo::exists(path)) {
        showError(QStringLiteral("Файл не существует"));
        return;
    }
    RichEdit1->setSelectionChangeAttached(false);
    document::Loaded loaded;
    try {
        loaded = document::load(path, encoding);
        RichEdit1->setText(loaded.text);
    } catch (...) {
        RichEdit1->setSelectionChangeAttached(true);
        throw;
    }
    RichEdit1->setSelectionChangeAttached(true);
    RichEdit1->document()->setModified(false);
    FileName = path;
    m_layout = std::move(loaded.layout);
    m_encodingForced = encoding.has_value();
    m_diskStamp = loaded.stamp;
    m_diskToldOf = {};
    m_diskGoneTold = false;
    updateCaption();
    watchDocument();
    resetRecovery();
    offerRecovery(recovery::keyFor(path));
}

void TForm1::SaveDocumentAs(const QString &path)
{
    if (FileName.isEmpty())
        m_layout = {}; // a new document: Windows-1251, CR LF
    FileName = path;
    updateCaption();
    // Another name: whatever that file held is replaced, as a save-as does.
    m_diskStamp = {};
    saveDocument(path);
}

bool TForm1::saveDocument(const QString &path)
{
    if (m_diskStamp.valid && fileio::compare(path, m_diskStamp) == fileio::DiskState::Changed) {
        const int answer = askUser(
            QStringLiteral("Файл «%1» изменён другой программой после того, как был открыт или "
                           "сохранён здесь. Записать поверх него текст редактора?")
                .arg(path),
            {QStringLiteral("Отмена"), QStringLiteral("Перезаписать")});
        if (answer != 1)
            return false;
    }
    const QString text = RichEdit1->text();
    try {
        m_diskStamp = document::write(path, text, m_layout);
    } catch (const document::UnencodableError &e) {
        // Never a substitute character: UTF-8 holds every one, if the user wants it.
        const int answer = askUser(e.message() + QStringLiteral(".\n\nСохранить документ в кодировке UTF-8?"),
                                   {QStringLiteral("Сохранить в UTF-8"), QStringLiteral("Отмена")});
        if (answer != 0)
            return false;
        textformat::Layout utf8 = m_layout;
        utf8.format.encoding = textformat::Encoding::Utf8;
        utf8.format.bom = false;
        m_diskStamp = document::write(path, text, utf8);
        m_layout = std::move(utf8);
    }
    m_diskToldOf = {};
    m_diskGoneTold = false;
    RichEdit1->document()->setModified(false);
    watchDocument();
    resetRecovery();
    return true;
}

void TForm1::reloadDocument()
{
    const int caret = RichEdit1->selStart();
    document::Loaded loaded =
        document::load(FileName, m_encodingForced ? std::optional(m_layout.format.encoding) : std::nullopt);
    RichEdit1->setSelectionChangeAttached(false);
    RichEdit1->setText(loaded.text);
    RichEdit1->setSelStart(caret);
    RichEdit1->setSelectionChangeAttached(true);
    RichEdit1->document()->setModified(false);
    m_layout = std::move(loaded.layout);
    m_diskStamp = loaded.stamp;
    m_diskToldOf = {};
    m_diskGoneTold = false;
    watchDocument();
    resetRecovery();
}

void TForm1::checkDiskChange()
{
    if (FileName.isEmpty() || !m_diskStamp.valid || m_diskCheckRunning)
        return;
    // A question below runs a nested event loop; a second change meanwhile
    // must not ask again on top of it.
    m_diskCheckRunning = true;
    struct Done { bool &flag; ~Done() { flag = false; } } done{m_diskCheckRunning};

    watchDocument(); // a replaced file is watched again under its name
    const fileio::DiskState state = fileio::compare(FileName, m_diskStamp);
    if (state == fileio::DiskState::Same)
        return;
    // The file on disk no longer is the text the recovery file builds on.
    m_recoveryNeedsCopy = true;
    m_recoveryStarted = false;
    if (state == fileio::DiskState::Missing) {
        if (!m_diskGoneTold) {
            m_diskGoneTold = true;
            showInformation(QStringLiteral("Файл «%1» удалён или переименован другой программой. "
                                           "Текст остаётся в редакторе; команда «Сохранить» "
                                           "запишет его заново.")
                                .arg(FileName));
        }
        return;
    }
    if (m_diskToldOf.valid && fileio::compare(FileName, m_diskToldOf) == fileio::DiskState::Same)
        return;
    m_diskGoneTold = false;
    // Remember what the user was asked about, so the same change is not asked again.
    try {
        m_diskToldOf = fileio::stampOf(FileName, fileio::readRegular(FileName, 6.0));
    } catch (const ZarvoError &) {
        m_diskToldOf = {};
    }

    if (!RichEdit1->document()->isModified()) {
        const int answer = askUser(QStringLiteral("Файл «%1» изменён другой программой. Загрузить его заново?")
                                       .arg(FileName),
                                   {QStringLiteral("Загрузить заново"), QStringLiteral("Оставить как есть")});
        if (answer == 0)
            reloadDocument();
        return;
    }
    const int answer = askUser(
        QStringLiteral("Файл «%1» изменён другой программой, а в редакторе есть несохранённые изменения. "
                       "Что сделать?")
            .arg(FileName),
        {QStringLiteral("Оставить текст редактора"), QStringLiteral("Загрузить с диска"),
         QStringLiteral("Сохранить как…")});
    if (answer == 1)
        reloadDocument();
    else if (answer == 2)
        N5Click();
}
