#include "Unit1.h"

#include "Unit2.h"
#include "core/datapaths.h"
#include "core/error.h"
#include "core/profile.h"
#include "core/settingvalues.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QFileInfo>
#include <QSplitter>
#include <QTimer>
#include <QVariant>
#include <QWindow>

#include <optional>

namespace {

// "./Zarvo.ini" (relative on purpose: the settings belong to the current
// directory, looked up again at every read and write), or for an installed
// copy without one the file in the user's configuration folder.
QString settingsPath()
{
    return datapaths::current().settings;
}

// X11 keeps window coordinates in 16 bits; larger values would only make the
// server refuse the window.
constexpr int kMinCoord = -32768;
constexpr int kMaxCoord = 32767;
constexpr int kMaxExtent = 32767;

std::optional<qint32> readInt(const QString &section, const QString &key)
{
    const std::optional<QString> text = profile::read(settingsPath(), section, key);
    return text ? settingvalues::parseInt(*text) : std::nullopt;
}

qint32 readInt(const QString &section, const QString &key, qint32 current)
{
    return readInt(section, key).value_or(current);
}

void writeValue(const QString &section, const QString &key, const QString &value)
{
    const QString path = settingsPath();
    if (!profile::writeString(path, section, key, value))
        throw ZarvoError(QStringLiteral("Unable to write to %1").arg(path));
}

void writeInt(const QString &section, const QString &key, qint32 value)
{
    writeValue(section, key, QString::number(value));
}

int windowStateValue(Qt::WindowStates state)
{
    if (state & Qt::WindowMinimized)
        return 1;
    if (state & Qt::WindowMaximized)
        return 2;
    return 0;
}

// Before the window is first shown its frame is unknown, so the stored outer
// size is applied to the client area. Once a window manager has put a frame
// around the window, this corrects the client size once so that the outer
// bounds are the stored ones.
class OuterGeometryFit : public QObject
{
public:
    OuterGeometryFit(QWidget *window, const QRect &outer)
        : QObject(window), m_window(window), m_outer(outer)
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != m_window)
            return false;
        switch (event->type()) {
        case QEvent::Show:
            if (!m_clock.isValid())
                m_clock.start();
            QTimer::singleShot(0, this, [this] { fit(); });
            break;
        case QEvent::Move:
        case QEvent::Resize:
            if (m_clock.isValid())
                QTimer::singleShot(0, this, [this] { fit(); });
            break;
        default:
            break;
        }
        return false;
    }

private:
    void fit()
    {
        // The frame arrives shortly after the first showing; later changes are the user's.
        if (m_clock.hasExpired(3000)) {
            deleteLater();
            return;
        }
        if (m_window->windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen))
            return;
        const QRect frame = m_window->frameGeometry();
        const QRect client = m_window->geometry();
        const int dw = frame.width() - client.width();
        const int dh = frame.height() - client.height();
        if (dw == 0 && dh == 0)
            return;
        m_window->removeEventFilter(this);
        m_window->resize(qMax(1, m_outer.width() - dw), qMax(1, m_outer.height() - dh));
        m_window->move(m_outer.topLeft());
        deleteLater();
    }

    QWidget *m_window;
    QRect m_outer;
    QElapsedTimer m_clock;
};

// The list width set before the window was first laid out: until then the
// splitter reports the sizes of its unlaid-out default size, not these.
const char *const kListWidthProperty = "zarvoListWidth";
constexpr int kDesignListWidth = 121;

int listBoxWidth(const TForm1 &form)
{
    if (form.windowHandle())
        return form.Splitter1->sizes().value(1);
    const QVariant set = form.Splitter1->property(kListWidthProperty);
    return set.isValid() ? set.toInt() : kDesignListWidth;
}

} // namespace

void TForm1::readSettings()
{
    const QString form = QStringLiteral("Form1");

    // Top, Left, Height, Width: the outer bounds, each applied at once.
    const int top = qBound(kMinCoord, readInt(form, QStringLiteral("Top"), frameGeometry().top()), kMaxCoord);
    move(frameGeometry().left(), top);
    const int left = qBound(kMinCoord, readInt(form, QStringLiteral("Left"), frameGeometry().left()), kMaxCoord);
    move(left, frameGeometry().top());
    const int height = qBound(1, readInt(form, QStringLiteral("Height"), frameGeometry().height()), kMaxExtent);
    resize(width(), qMax(1, height - (frameGeometry().height() - this->height())));
    const int width = qBound(1, readInt(form, QStringLiteral("Width"), frameGeometry().width()), kMaxExtent);
    resize(qMax(1, width - (frameGeometry().width() - this->width())), this->height());
    new OuterGeometryFit(this, QRect(left, top, width, height));

    // Takes effect when the window is first shown; unknown states open normal.
    const int state = readInt(form, QStringLiteral("WindowState"), windowStateValue(windowState()));
    setWindowState(state == 1 ? Qt::WindowMinimized : state == 2 ? Qt::WindowMaximized : Qt::WindowNoState);

    // The list is the splitter's second pane; the editor takes the rest.
    const int listWidth = qBound(0, readInt(form, QStringLiteral("ListBox1"), listBoxWidth(*this)), kMaxExtent);
    Splitter1->setProperty(kListWidthProperty, listWidth);
    Splitter1->setSizes({qMax(1, this->width() - listWidth - Splitter1->handleWidth()), listWidth});

    const QString fontSection = QStringLiteral("Font");
    const int dpi = screenDpi();
    FontSpec &font = FontDialog1;
    if (const auto v = readInt(fontSection, QStringLiteral("Charset")); v && *v >= 0 && *v <= 255)
        font.charset = *v;
    font.color = readInt(fontSection, QStringLiteral("Color"), font.color);
    font.height = readInt(fontSection, QStringLiteral("Height"), font.height);
    // A font always has a name: an empty one keeps the name in effect.
    const QString name = profile::readString(settingsPath(), fontSection, QStringLiteral("Name"), font.name);
    if (!name.isEmpty())
        font.name = name;
    font.setPitch(readInt(fontSection, QStringLiteral("Pitch"), font.pitch));
    // Read and applied even when absent: the height becomes the one its size gives.
    font.setSize(readInt(fontSection, QStringLiteral("Size"), font.size(dpi)), dpi);
    font.setStyle(readInt(fontSection, QStringLiteral("Style"), font.style));
}

void TForm1::loadStoredDictionary()
{
    // The completion options, before the dictionary and the document they work on.
    setDocumentWords(readInt(QStringLiteral("Option"), QStringLiteral("DocWords"), 0) == 1);
    setLearning(readInt(QStringLiteral("Option"), QStringLiteral("Learn"), 0) == 1);
    const std::optional<QString> stored =
        profile::read(settingsPath(), QStringLiteral("Option"), QStringLiteral("Dic"));
    // No Dic key at all is a first start: the ready dictionary of both
    // languages, so that words complete from the first key. An empty value
    // is the user's "no dictionary".
    const QString shipped = datapaths::current().shipped;
    const QString ready = shipped + QLatin1Char('/') + datapaths::firstStartDictionary();
    if (stored)
        DicPath = *stored;
    else
        DicPath = !shipped.isEmpty() && QFileInfo(ready).isFile() ? ready : QString();
    if (!DicPath.isEmpty())
        LoadDictionary(DicPath);
}

void TForm1::writeSettings()
{
    // The configuration folder of an installed copy is made on the first write.
    const QString folder = QFileInfo(settingsPath()).path();
    if (!QFileInfo(folder).isDir())
        QDir().mkpath(folder);
    const QString form = QStringLiteral("Form1");
    writeInt(form, QStringLiteral("ListBox1"), listBoxWidth(*this));
    const Qt::WindowStates state = windowState();
    writeInt(form, QStringLiteral("WindowState"), windowStateValue(state));
    if (!(state & Qt::WindowMaximized)) {
        const QRect outer = frameGeometry();
        writeInt(form, QStringLiteral("Top"), outer.top());
        writeInt(form, QStringLiteral("Left"), outer.left());
        writeInt(form, QStringLiteral("Height"), outer.height());
        writeInt(form, QStringLiteral("Width"), outer.width());
    }

    const QString fontSection = QStringLiteral("Font");
    const FontSpec &font = FontDialog1;
    writeInt(fontSection, QStringLiteral("Charset"), font.charset);
    writeInt(fontSection, QStringLiteral("Color"), font.color);
    writeInt(fontSection, QStringLiteral("Height"), font.height);
    writeValue(fontSection, QStringLiteral("Name"), font.name);
    writeInt(fontSection, QStringLiteral("Pitch"), font.pitch);
    writeInt(fontSection, QStringLiteral("Size"), font.size(screenDpi()));
    writeInt(fontSection, QStringLiteral("Style"), font.style);

    writeValue(QStringLiteral("Option"), QStringLiteral("Dic"), DicPath);
    // Written when on, or when the file already has them: a file whose user
    // never turned them on stays as it always was.
    const auto writeOption = [](const QString &key, bool on) {
        if (on || readInt(QStringLiteral("Option"), key))
            writeInt(QStringLiteral("Option"), key, on ? 1 : 0);
    };
    writeOption(QStringLiteral("DocWords"), documentWordsOn());
    writeOption(QStringLiteral("Learn"), learningOn());
    saveLearnedWords();
}
