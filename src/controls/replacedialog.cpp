#include "controls/replacedialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHideEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

ReplaceDialog::ReplaceDialog(QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Замена"));
    setModal(false);
    setSizeGripEnabled(false);

    m_find = new QLineEdit(this);
    m_find->setObjectName(QStringLiteral("findText"));
    m_replace = new QLineEdit(this);
    m_replace->setObjectName(QStringLiteral("replaceText"));
    for (QLineEdit *e : {m_find, m_replace}) {
        e->setMaxLength(MaxTextLength);
        e->setMinimumWidth(200);
    }
    auto *findLabel = new QLabel(QStringLiteral("Что:"), this);
    findLabel->setBuddy(m_find);
    auto *replaceLabel = new QLabel(QStringLiteral("Чем:"), this);
    replaceLabel->setBuddy(m_replace);

    m_wholeWord = new QCheckBox(QStringLiteral("Только слово целиком"), this);
    m_wholeWord->setObjectName(QStringLiteral("wholeWord"));
    m_matchCase = new QCheckBox(QStringLiteral("С учетом регистра"), this);
    m_matchCase->setObjectName(QStringLiteral("matchCase"));

    m_findNext = new QPushButton(QStringLiteral("Найти далее"), this);
    m_findNext->setObjectName(QStringLiteral("findNext"));
    m_replaceOne = new QPushButton(QStringLiteral("Заменить"), this);
    m_replaceOne->setObjectName(QStringLiteral("replace"));
    m_replaceAll = new QPushButton(QStringLiteral("Заменить все"), this);
    m_replaceAll->setObjectName(QStringLiteral("replaceAll"));
    m_cancel = new QPushButton(QStringLiteral("Отмена"), this);
    m_cancel->setObjectName(QStringLiteral("cancel"));
    m_findNext->setDefault(true);
    for (QPushButton *b : {m_findNext, m_replaceOne, m_replaceAll, m_cancel})
        b->setAutoDefault(false);
    m_findNext->setAutoDefault(true);

    auto *grid = new QGridLayout(this);
    grid->addWidget(findLabel, 0, 0);
    grid->addWidget(m_find, 0, 1);
    grid->addWidget(replaceLabel, 1, 0);
    grid->addWidget(m_replace, 1, 1);
    auto *options = new QVBoxLayout;
    options->addStretch();
    options->addWidget(m_wholeWord);
    options->addWidget(m_matchCase);
    grid->addLayout(options, 2, 0, 1, 2);
    auto *buttons = new QVBoxLayout;
    for (QPushButton *b : {m_findNext, m_replaceOne, m_replaceAll, m_cancel})
        buttons->addWidget(b);
    buttons->addStretch();
    grid->addLayout(buttons, 0, 2, 3, 1);
    grid->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_find, &QLineEdit::textChanged, this, &ReplaceDialog::updateButtons);
    connect(m_findNext, &QPushButton::clicked, this, [this] { emitRequest(Action::FindNext); });
    connect(m_replaceOne, &QPushButton::clicked, this, [this] { emitRequest(Action::Replace); });
    connect(m_replaceAll, &QPushButton::clicked, this, [this] { emitRequest(Action::ReplaceAll); });
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    updateButtons();
}

QString ReplaceDialog::findText() const { return m_find->text(); }
QString ReplaceDialog::replaceText() const { return m_replace->text(); }
bool ReplaceDialog::wholeWord() const { return m_wholeWord->isChecked(); }
bool ReplaceDialog::matchCase() const { return m_matchCase->isChecked(); }

void ReplaceDialog::setFindText(const QString &text) { m_find->setText(text); }
void ReplaceDialog::setReplaceText(const QString &text) { m_replace->setText(text); }
void ReplaceDialog::setWholeWord(bool on) { m_wholeWord->setChecked(on); }
void ReplaceDialog::setMatchCase(bool on) { m_matchCase->setChecked(on); }

void ReplaceDialog::execute()
{
    if (!isVisible()) {
        show();
        m_find->setFocus(Qt::OtherFocusReason);
        m_find->selectAll();
    }
    raise();
    activateWindow();
}

void ReplaceDialog::press(Action action)
{
    QPushButton *b = button(action);
    if (b->isEnabled())
        b->click();
}

QPushButton *ReplaceDialog::button(Action action) const
{
    switch (action) {
    case Action::Replace: return m_replaceOne;
    case Action::ReplaceAll: return m_replaceAll;
    case Action::FindNext: break;
    }
    return m_findNext;
}

void ReplaceDialog::hideEvent(QHideEvent *event)
{
    QDialog::hideEvent(event);
    // The keyboard goes back to the window the dialog belongs to.
    if (QWidget *owner = parentWidget(); owner && owner->isVisible() && !event->spontaneous())
        owner->activateWindow();
}

void ReplaceDialog::updateButtons()
{
    const bool any = !m_find->text().isEmpty();
    for (QPushButton *b : {m_findNext, m_replaceOne, m_replaceAll})
        b->setEnabled(any);
}

void ReplaceDialog::emitRequest(Action action)
{
    if (m_find->text().isEmpty())
        return;
    m_action = action;
    if (action == Action::FindNext)
        emit find();
    else
        emit replace();
}
