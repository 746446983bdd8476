#pragma once
// How long a run takes: while a Run or Debug session is active, a status-bar pane names
// the running document and counts the time (another document may be the active one, whose
// abort commands are then greyed); when it ends, a status message and the "Результат" tab's tool
// tip tell how long it took and how it ended.

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

class QLabel;
class QStatusBar;
class QTabBar;

class CRunClock : public QObject {
    Q_OBJECT
public:
    CRunClock(QStatusBar* bar, QTabBar* resultTabs, QObject* parent);

    void Start(bool debug, const QString& title);
    // outcome is a CRunSession::Outcome.
    void Finish(bool debug, qint64 elapsedMs, int outcome);
    bool Running() const { return m_tick.isActive(); }

    QLabel* Pane() const { return m_pPane; }
    // The text of the last finished run: "Выполнение завершено за 1,250 с (ядер: 2)", the
    // number of threads that evaluated parallel lists at once (a Run only).
    QString LastReport() const { return m_strLast; }

    // "0,250 с", "12,500 с", "2 мин 05,000 с"; a tenth of a second only, while it runs.
    static QString FormatDuration(qint64 ms, bool tenths = false);
    static QString EndText(bool debug, qint64 elapsedMs, int outcome);

private:
    void Tick();

    QStatusBar* m_pBar;
    QTabBar* m_pTabs;
    QLabel* m_pPane;
    QTimer m_tick;
    QElapsedTimer m_elapsed;
    bool m_bDebug = false;
    QString m_strTitle;
    QString m_strLast;
};
