#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;

// The modeless find-and-replace dialog. It lives as long as the program:
// closing it only hides it, so its texts and options survive reopening.
// Each button press emits a request on the UI thread; the dialog's texts,
// options and the pressed button describe it.
class ReplaceDialog : public QDialog
{
    Q_OBJECT
public:
    enum class Action { FindNext, Replace, ReplaceAll };
    static constexpr int MaxTextLength = 255;

    explicit ReplaceDialog(QWidget *parent = nullptr);

    QString findText() const;
    QString replaceText() const;
    bool wholeWord() const;
    bool matchCase() const;
    // The button of the latest request.
    Action action() const { return m_action; }

    void setFindText(const QString &text);
    void setReplaceText(const QString &text);
    void setWholeWord(bool on);
    void setMatchCase(bool on);

    // Shows the dialog, or brings it to the front when it is shown.
    void execute();

    // Presses a button as the user does (ignored while it is disabled).
    void press(Action action);

    QPushButton *button(Action action) const;

signals:
    void find();    // Find Next
    void replace(); // Replace or Replace All

protected:
    void hideEvent(QHideEvent *event) override;

private:
    void updateButtons();
    void emitRequest(Action action);

    QLineEdit *m_find;
    QLineEdit *m_replace;
    QCheckBox *m_wholeWord;
    QCheckBox *m_matchCase;
    QPushButton *m_findNext;
    QPushButton *m_replaceOne;
    QPushButton *m_replaceAll;
    QPushButton *m_cancel;
    Action m_action = Action::FindNext;
};
