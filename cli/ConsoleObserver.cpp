#include "cli/ConsoleObserver.h"

#include <QByteArray>

#include <atomic>
#include <csignal>
#include <cstdio>

#ifdef _WIN32
#include <io.h>
#define QM_ISATTY _isatty
#define QM_FILENO _fileno
#else
#include <unistd.h>
#define QM_ISATTY isatty
#define QM_FILENO fileno
#endif

namespace {
std::atomic<bool> g_interrupted{false};

extern "C" void onInterrupt(int)
{
    g_interrupted = true;
}

// Text from users' files as it may reach a terminal: control characters (an
// escape sequence in a map file's title line would drive the terminal) become "?".
QString printable(QString text)
{
    for (QChar &ch : text) {
        const char16_t u = ch.unicode();
        if ((u < 0x20 && u != u'\t') || (u >= 0x7F && u <= 0x9F))
            ch = QLatin1Char('?');
    }
    return text;
}

void put(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}
} // namespace

ConsoleObserver::ConsoleObserver(OnError onError)
    : m_onError(onError), m_tty(QM_ISATTY(QM_FILENO(stderr)) != 0)
{
    g_interrupted = false;
    std::signal(SIGINT, onInterrupt);
}

ConsoleObserver::~ConsoleObserver()
{
    clearProgress();
    std::signal(SIGINT, SIG_DFL);
}

void ConsoleObserver::clearProgress()
{
    if (!m_tty || m_progressWidth == 0)
        return;
    put(stderr, QLatin1Char('\r') + QString(m_progressWidth, QLatin1Char(' ')) + QLatin1Char('\r'));
    std::fflush(stderr);
    m_progressWidth = 0;
}

void ConsoleObserver::message(const QString &text, const QString &caption, Icon)
{
    clearProgress();
    if (caption.isEmpty()) {
        put(stdout, printable(text) + QLatin1Char('\n'));
        std::fflush(stdout);
    } else {
        put(stderr, printable(caption) + QLatin1String(": ") + printable(text) + QLatin1Char('\n'));
        std::fflush(stderr);
    }
}

void ConsoleObserver::fileResult(const QString &fileName, FileOutcome outcome, const QString &text)
{
    switch (outcome) {
    case FileOutcome::Written:
        ++m_written;
        break;
    case FileOutcome::Unchanged:
        ++m_unchanged;
        break;
    case FileOutcome::Skipped:
        ++m_skipped;
        break;
    case FileOutcome::Failed:
        ++m_failed;
        break;
    case FileOutcome::Warning:
    case FileOutcome::FromMargins:
        break;
    }
    // A map made from the margins has its own warning message already.
    if (outcome != FileOutcome::Warning)
        return;
    clearProgress();
    put(stderr, QStringLiteral("Warning: ") + printable(fileName) + QLatin1String(": ") + printable(text)
                    + QLatin1Char('\n'));
    std::fflush(stderr);
}

void ConsoleObserver::status(const QString &)
{
    // The progress line already names the file; status texts are for windows.
}

void ConsoleObserver::progress(int index, int total, const QString &fileName)
{
    if (!m_tty)
        return;
    QString line = QStringLiteral("[%1/%2] %3").arg(index).arg(total).arg(printable(fileName));
    if (line.size() > 78)
        line = line.left(75) + QLatin1String("...");
    const int width = int(line.size());
    if (width < m_progressWidth)
        line += QString(m_progressWidth - width, QLatin1Char(' '));
    put(stderr, QLatin1Char('\r') + line);
    std::fflush(stderr);
    m_progressWidth = std::max(width, m_progressWidth);
}

void ConsoleObserver::printSummary()
{
    clearProgress();
    put(stdout, QStringLiteral("Written %1, unchanged %2, skipped %3, failed %4\n")
                    .arg(m_written)
                    .arg(m_unchanged)
                    .arg(m_skipped)
                    .arg(m_failed));
    std::fflush(stdout);
}

bool ConsoleObserver::askContinue(const QString &text, const QString &caption)
{
    if (m_onError == OnError::Continue)
        return true;
    clearProgress();
    put(stderr, caption + QLatin1String(": ") + text + QLatin1String(" Cancel (--on-error stop)\n"));
    std::fflush(stderr);
    return false;
}

bool ConsoleObserver::isCancelled()
{
    return g_interrupted.load();
}

bool ConsoleObserver::parseOnError(const QString &value, OnError &onError)
{
    if (value == QLatin1String("continue")) {
        onError = OnError::Continue;
        return true;
    }
    if (value == QLatin1String("stop")) {
        onError = OnError::Stop;
        return true;
    }
    return false;
}
