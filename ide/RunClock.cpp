#include "ide/RunClock.h"

#include "interpreter/RunSession.h"
#include "output/OutputSink.h"
#include "values/TaskPool.h"

#include <QLabel>
#include <QStatusBar>
#include <QTabBar>

namespace {

constexpr int kTickMs = 100;
constexpr int kEndMessageMs = 30000;

} // namespace

CRunClock::CRunClock(QStatusBar* bar, QTabBar* resultTabs, QObject* parent)
    : QObject(parent), m_pBar(bar), m_pTabs(resultTabs), m_pPane(new QLabel(bar)) {
    m_pPane->setObjectName(QStringLiteral("RunClockPane"));
    m_pPane->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    m_pPane->setIndent(3);
    m_pPane->setMinimumWidth(150);
    m_pBar->insertPermanentWidget(0, m_pPane);
    m_pPane->hide();
    m_tick.setInterval(kTickMs);
    connect(&m_tick, &QTimer::timeout, this, &CRunClock::Tick);
}

// The message of the run before goes: it no longer tells about the text on the panel.
void CRunClock::Start(bool debug, const QString& title) {
    m_pBar->clearMessage();
    ResetThreadsUsed();
    m_bDebug = debug;
    m_strTitle = title;
    m_elapsed.start();
    m_tick.start();
    Tick();
    m_pPane->show();
}

void CRunClock::Tick() {
    const QString what =
        m_bDebug ? QStringLiteral("Идёт отладка") : QStringLiteral("Идёт выполнение");
    m_pPane->setText(what + QStringLiteral(" «") + m_strTitle + QStringLiteral("»: ") +
                     FormatDuration(m_elapsed.elapsed(), true));
}

void CRunClock::Finish(bool debug, qint64 elapsedMs, int outcome) {
    m_tick.stop();
    m_pPane->hide();
    m_strLast = EndText(debug, elapsedMs, outcome);
    if (!debug) // a trace is always sequential
        m_strLast += QStringLiteral(" (ядер: %1)").arg(ThreadsUsed());
    m_pBar->showMessage(m_strLast, kEndMessageMs);
    m_pTabs->setTabToolTip(kChannelResult, QStringLiteral("Последний запуск: ") + m_strLast);
}

// Whole tenths or thousandths, never rounded up: a run of 1.25 s did not take 1.3 s.
QString CRunClock::FormatDuration(qint64 ms, bool tenths) {
    const qint64 minutes = ms / 60000;
    const qint64 seconds = ms % 60000 / 1000;
    const QString fraction = tenths ? QString::number(ms % 1000 / 100)
                                    : QStringLiteral("%1").arg(ms % 1000, 3, 10, QChar(u'0'));
    const QString secondsText = QStringLiteral("%1,%2").arg(seconds).arg(fraction);
    if (minutes == 0)
        return secondsText + QStringLiteral(" с");
    return QStringLiteral("%1 мин %2 с")
        .arg(minutes)
        .arg(secondsText.rightJustified(secondsText.size() + (seconds < 10 ? 1 : 0), u'0'));
}

QString CRunClock::EndText(bool debug, qint64 elapsedMs, int outcome) {
    const QString time = FormatDuration(elapsedMs);
    const QString what = debug ? QStringLiteral("Отладка") : QStringLiteral("Выполнение");
    switch (CRunSession::Outcome(outcome)) {
    case CRunSession::Outcome::Printed:
        return what +
               (debug ? QStringLiteral(" завершена за ") : QStringLiteral(" завершено за ")) + time;
    case CRunSession::Outcome::NoResult:
        return what +
               (debug ? QStringLiteral(" завершена без результата за ")
                      : QStringLiteral(" завершено без результата за ")) +
               time;
    case CRunSession::Outcome::Stopped:
        return what +
               (debug ? QStringLiteral(" прервана через ") : QStringLiteral(" прервано через ")) +
               time;
    case CRunSession::Outcome::Failed:
    case CRunSession::Outcome::Refused:
        break;
    }
    return what +
           (debug ? QStringLiteral(" завершилась ошибкой через ")
                  : QStringLiteral(" завершилось ошибкой через ")) +
           time;
}
