// The search panel, find next and the Replace dialog of the main window.
#include "Unit1.h"

#include "controls/editor.h"
#include "controls/errorreport.h"
#include "controls/replacedialog.h"
#include "controls/searchedit.h"
#include "core/altlayout.h"
#include "core/search.h"
#include "core/keyboard.h"

#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>

namespace {

// The search's view of the editor.
class EditorTarget : public search::Target
{
public:
    explicit EditorTarget(Editor *editor) : m_editor(editor) {}

    int selStart() const override { return m_editor->selStart(); }
    int selLength() const override { return m_editor->selLength(); }
    void setSelStart(int position) override { m_editor->setSelStart(position); }
    void setSelLength(int length) override { m_editor->setSelLength(length); }
    int textLength() const override { return int(m_editor->textLength()); }
    int find(const QString &what, int start, int length, search::Options options) override
    {
        // Qt's case-insensitive search folds as it goes: folding a copy of a
        // large document first costs more than it saves.
        return int(search::find(m_editor->cachedText(), what, start, length, options));
    }
    void replaceSelection(const QString &text) override { m_editor->replaceSelection(text); }

private:
    Editor *m_editor;
};

QColor fromWindowsColor(quint32 value)
{
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

} // namespace

void TForm1::setupSearch()
{
    // Font height -13: a character height of 13 pixels.
    QFont cross(QStringLiteral("Palatino Linotype"));
    cross.setPixelSize(13);
    cross.setBold(true);
    Panel2->setFont(cross);
    Panel2->installEventFilter(this);

    Edit1->setKeyDownHandler([this](quint16 &key, TShiftState shift) {
        guarded([&] { Edit1KeyDown(key, shift); });
    });
    Edit1->setKeyUpHandler([this](quint16 &key, TShiftState shift) {
        guarded([&] { Edit1KeyUp(key, shift); });
    });
    connect(CheckBox1, &QCheckBox::clicked, this, [this] { guarded([this] { CheckBox1Click(); }); });

    ReplaceDialog1 = new ReplaceDialog(this);
    connect(ReplaceDialog1, &ReplaceDialog::find, this, [this] { guarded([this] { ReplaceDialog1Find(); }); });
    connect(ReplaceDialog1, &ReplaceDialog::replace, this,
            [this] { guarded([this] { ReplaceDialog1Replace(); }); });
}

bool TForm1::searchEventFilter(QObject *watched, QEvent *event)
{
    if (watched == Panel2 && event->type() == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton && Panel2->rect().contains(mouse->position().toPoint())) {
            guarded([this] { Panel2Click(); });
            return true;
        }
    }
    return false;
}

namespace {

search::Options panelOptions(const QCheckBox *wholeWord, const QCheckBox *matchCase)
{
    return {wholeWord->isChecked(), matchCase->isChecked()};
}

void paintOutcome(QWidget *field, quint32 windowsColor)
{
    const QColor color = fromWindowsColor(windowsColor);
    QPalette p = field->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        p.setColor(group, QPalette::Base, color);
    field->setPalette(p);
}

// Hides the panel; a focus inside it goes back to the editor.
void hidePanel(QFrame *panel, QWidget *editor)
{
    const bool hadFocus = panel->isAncestorOf(QApplication::focusWidget());
    panel->hide();
    if (hadFocus)
        editor->setFocus(Qt::OtherFocusReason);
}

} // namespace

search::Outcome TForm1::DoFind(int key)
{
    EditorTarget target(RichEdit1);
    const search::Outcome outcome =
        search::doFind(target, Edit1->text(), key, panelOptions(CheckBox1, CheckBox2));
    paintOutcome(Edit1, search::outcomeColor(outcome));
    return outcome;
}

void TForm1::N7Click()
{
    Panel1->show();
    Edit1->setFocus(Qt::OtherFocusReason);
}

void TForm1::N8Click()
{
    DoFind(search::FindNextKey);
}

void TForm1::N10Click()
{
    ReplaceDialog1->execute();
}

void TForm1::Panel2Click()
{
    hidePanel(Panel1, RichEdit1);
}

void TForm1::Edit1KeyDown(quint16 &key, TShiftState shift)
{
    const QString c = AltLayoutChar(key, shift, Keyboard::current());
    if (!c.isEmpty())
        Edit1->insert(c);
}

void TForm1::Edit1KeyUp(quint16 &key, TShiftState shift)
{
    if (key == VK::Escape)
        hidePanel(Panel1, RichEdit1);
    else
        DoFind(key);
    if (shift & ShiftKey::Alt)
        key = 0;
}

void TForm1::CheckBox1Click()
{
    Edit1->setFocus(Qt::OtherFocusReason);
}

void TForm1::ReplaceDialog1Find()
{
    findFromDialog();
}

search::Outcome TForm1::findFromDialog()
{
    // Only the states change: no click, no focus move.
    CheckBox1->setChecked(ReplaceDialog1->wholeWord());
    CheckBox2->setChecked(ReplaceDialog1->matchCase());
    Edit1->setText(ReplaceDialog1->findText());
    return DoFind(search::FindNextKey);
}

void TForm1::ReplaceDialog1Replace()
{
    if (ReplaceDialog1->action() != ReplaceDialog::Action::ReplaceAll) {
        if (findFromDialog() == search::Outcome::NotFound)
            return;
        RichEdit1->replaceSelection(ReplaceDialog1->replaceText());
        return;
    }

    // Undo gives back the selection as the user had it, before the search field moved it.
    const Editor::Selection before = RichEdit1->selection();
    CheckBox1->setChecked(ReplaceDialog1->wholeWord());
    CheckBox2->setChecked(ReplaceDialog1->matchCase());
    Edit1->setText(ReplaceDialog1->findText());
    // One pass over the text and one edit of the editor, however many
    // occurrences there are.
    const search::ReplaceAllResult result =
        search::replaceAll(RichEdit1->cachedText(), Edit1->text(), ReplaceDialog1->replaceText(),
                           panelOptions(CheckBox1, CheckBox2));
    if (result.count > 0)
        RichEdit1->replaceAllText(result.text, int(result.caret), before);
    paintOutcome(Edit1, search::NotFoundColor);
}
