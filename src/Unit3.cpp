#include "Unit3.h"
#include "ui_Form3.h"

#include "Unit2.h"
#include "Unit4.h"
#include "controls/errorreport.h"
#include "controls/gauge.h"

#include <QKeyEvent>
#include <QPointer>
#include <QSpinBox>

TForm3 *Form3 = nullptr;

namespace {

const QString pauseCaption = QStringLiteral("Пауза");
const QString continueCaption = QStringLiteral("Дальше");

} // namespace

TForm3::TForm3(QWidget *parent) : QDialog(parent), ui(new Ui::TForm3)
{
    ui->setupUi(this);
    Gauge1 = ui->Gauge1;
    Gauge2 = ui->Gauge2;
    Button1 = ui->Button1;

    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    move(192, 113); // the designed place on the screen
    Button1->setAutoDefault(false); // Enter does not pause
    connect(Button1, &QPushButton::clicked, this, [this] { guarded([this] { Button1Click(); }); });
}

TForm3::~TForm3()
{
    // A running job goes on without its window: its progress is dropped and
    // its result still reported.
    if (m_job)
        m_job->requestStop();
    delete ui;
}

void TForm3::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous()) // restored from minimised: still the same showing
        return;
    m_startedThisShowing = false;
    activateWindow();
}

bool TForm3::event(QEvent *event)
{
    const bool handled = QDialog::event(event);
    if (event->type() == QEvent::WindowActivate)
        FormActivate();
    return handled;
}

void TForm3::keyPressEvent(QKeyEvent *event)
{
    // Escape does not close the window; only its title bar or the end of the build does.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TForm3::FormActivate()
{
    if (m_startedThisShowing || !isVisible())
        return;
    m_startedThisShowing = true; // also when the start fails: one attempt per showing
    guarded([this] { startJob(); });
}

void TForm3::startJob()
{
    Gauge1->setProgress(0);
    Gauge2->setProgress(0);
    Button1->setText(pauseCaption);

    if (!Form2 || !Form2->SpinEdit1)
        throw ZarvoError(QStringLiteral("Окно словарей не создано"));
    TThread1::Request request = TThread1::currentRequest(Form2->SpinEdit1->value());

    // The job reaches this window only while the window still shows it.
    const QPointer<TForm3> self(this);
    TThread1::Events events;
    events.progress = [self](TThread1 &job, int gauge, int32_t value) {
        if (self && self->m_job.get() == &job)
            (gauge == 1 ? self->Gauge1 : self->Gauge2)->setProgress(value);
    };
    events.returned = [self](TThread1 &job, int32_t) {
        if (self && self->m_job.get() == &job)
            self->done(QDialog::Accepted);
    };
    m_job = TThread1::start(std::move(request), std::move(events));
}

void TForm3::Button1Click()
{
    // Without a job, or once the library call has returned, the button does nothing.
    if (!m_job || m_job->returned())
        return;
    if (!m_job->paused()) {
        m_job->pause();
        Button1->setText(continueCaption);
    } else {
        m_job->resume();
        Button1->setText(pauseCaption);
    }
}

void TForm3::FormClose()
{
    if (m_job)
        m_job->requestStop();
    // From now on the window shows no build: a job left running reports only its result.
    m_job.reset();
}

void TForm3::done(int result)
{
    FormClose();
    QDialog::done(result);
}

void OnProgress1(int32_t value)
{
    if (TThread1 *job = TThread1::current())
        job->report(1, value);
}

void OnProgress2(int32_t value)
{
    if (TThread1 *job = TThread1::current())
        job->report(2, value);
}
