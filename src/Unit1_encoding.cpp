#include "Unit1.h"
#include "ui_Form1.h"

#include "controls/editor.h"
#include "controls/errorreport.h"

#include <QActionGroup>
#include <QMenu>

using textformat::Encoding;
using textformat::LineEnd;

namespace {

// The encodings a document can be reopened in and saved in.
const Encoding kReopen[] = {Encoding::Utf8, Encoding::Windows1251, Encoding::Koi8R, Encoding::Ibm866,
                            Encoding::Utf16LE};
struct SaveChoice
{
    Encoding encoding;
    bool bom;
};
const SaveChoice kSave[] = {{Encoding::Utf8, false},  {Encoding::Utf8, true},    {Encoding::Windows1251, false},
                            {Encoding::Koi8R, false}, {Encoding::Ibm866, false}, {Encoding::Utf16LE, true},
                            {Encoding::Utf16BE, true}};
const LineEnd kEnds[] = {LineEnd::CrLf, LineEnd::Lf, LineEnd::Cr};

QString saveName(const SaveChoice &c)
{
    QString name = textformat::encodingName(c.encoding);
    if (c.encoding == Encoding::Utf8 && c.bom)
        name += QStringLiteral(" с меткой BOM");
    return name;
}

} // namespace

void TForm1::setupEncodingMenu()
{
    // "Файл" → "Кодировка", before the separator above "Выход".
    m_encodingMenu = new QMenu(QStringLiteral("Кодировка"), this);
    ui->N0->insertMenu(ui->N4, m_encodingMenu);
    ui->N0->insertSeparator(ui->N4);
    connect(m_encodingMenu, &QMenu::aboutToShow, this, [this] { updateEncodingMenu(); });
}

void TForm1::updateEncodingMenu()
{
    m_encodingMenu->clear();
    const textformat::Format &f = m_layout.format;

    m_encodingMenu->addSection(QStringLiteral("Перечитать в кодировке"));
    for (const Encoding e : kReopen) {
        QAction *a = m_encodingMenu->addAction(textformat::encodingName(e));
        a->setEnabled(!FileName.isEmpty());
        connect(a, &QAction::triggered, this, [this, e] { guarded([&] { reopenInEncoding(e); }); });
    }

    m_encodingMenu->addSection(QStringLiteral("Сохранять в кодировке"));
    auto *encodings = new QActionGroup(m_encodingMenu);
    for (const SaveChoice &c : kSave) {
        QAction *a = m_encodingMenu->addAction(saveName(c));
        a->setCheckable(true);
        a->setChecked(f.encoding == c.encoding && (f.bom == c.bom || c.encoding != Encoding::Utf8));
        encodings->addAction(a);
        connect(a, &QAction::triggered, this, [this, c] { setSaveEncoding(c.encoding, c.bom); });
    }

    m_encodingMenu->addSection(m_layout.mixed ? QStringLiteral("Концы строк (в файле смешанные)")
                                              : QStringLiteral("Концы строк"));
    auto *ends = new QActionGroup(m_encodingMenu);
    for (const LineEnd e : kEnds) {
        QAction *a = m_encodingMenu->addAction(textformat::lineEndName(e));
        a->setCheckable(true);
        a->setChecked(!m_layout.mixed && f.lineEnd == e);
        ends->addAction(a);
        connect(a, &QAction::triggered, this, [this, e] { setLineEnds(e); });
    }
}

void TForm1::reopenInEncoding(Encoding encoding)
{
    if (FileName.isEmpty() || !confirmDiscard())
        return;
    openDocumentIn(FileName, encoding);
}

void TForm1::setSaveEncoding(Encoding encoding, bool bom)
{
    if (m_layout.format.encoding == encoding && m_layout.format.bom == bom)
        return;
    m_layout.format.encoding = encoding;
    m_layout.format.bom = bom;
    // What the next save writes differs from the file: an unsaved change.
    RichEdit1->document()->setModified(true);
}

void TForm1::setLineEnds(LineEnd end)
{
    if (!m_layout.mixed && m_layout.format.lineEnd == end)
        return;
    m_layout.format.lineEnd = end;
    m_layout.mixed = false;
    m_layout.ends.clear();
    m_layout.lineHashes.clear();
    RichEdit1->document()->setModified(true);
}
