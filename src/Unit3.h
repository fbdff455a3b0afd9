#pragma once

#include <QDialog>

#include <cstdint>
#include <memory>

class Gauge;
class QPushButton;
class TThread1;
namespace Ui { class TForm3; }

// The progress window of a dictionary build. Each showing runs one build: the
// first activation of a showing starts its job; the window closes when the
// job's library call returns, unless the user closed it before.
class TForm3 : public QDialog
{
    Q_OBJECT
public:
    explicit TForm3(QWidget *parent = nullptr);
    ~TForm3() override;

    Gauge *Gauge1 = nullptr;
    Gauge *Gauge2 = nullptr;
    QPushButton *Button1 = nullptr;

    void FormActivate();
    void Button1Click(); // pause and continue
    void FormClose();

    // The job of the current showing; null before it starts, when it could not
    // be started, and after the window has closed.
    const std::shared_ptr<TThread1> &job() const { return m_job; }

    void done(int result) override; // every way of closing the window ends here

protected:
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void startJob();

    Ui::TForm3 *ui;
    bool m_startedThisShowing = false;
    std::shared_ptr<TThread1> m_job;
};

extern TForm3 *Form3;

// The library's progress callbacks. They run on a build job's thread; a value
// from any other thread is dropped.
void OnProgress1(int32_t value);
void OnProgress2(int32_t value);
