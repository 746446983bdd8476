#include "ide/ParallelJobs.h"

#include "values/TaskPool.h"

#include <QActionGroup>
#include <QMenu>
#include <QSettings>

namespace {

const QString kJobsKey = QStringLiteral("run/jobs");

} // namespace

CParallelJobsMenu::CParallelJobsMenu(QWidget* parent)
    : QObject(parent), m_pMenu(new QMenu(QStringLiteral("Потоки параллельных списков"), parent)) {
    m_pMenu->setObjectName(QStringLiteral("ParallelJobsMenu"));
    auto* group = new QActionGroup(m_pMenu);
    const int cores = CoreCount();
    const int stored = Stored();
    auto add = [&](int jobs, const QString& text) {
        QAction* action = m_pMenu->addAction(text);
        action->setCheckable(true);
        action->setStatusTip(
            QStringLiteral("Сколько потоков вычисляют элементы параллельных списков"));
        action->setData(jobs);
        action->setChecked(jobs == stored);
        group->addAction(action);
        connect(action, &QAction::triggered, this, [jobs] { Store(jobs); });
    };
    add(0, QStringLiteral("По числу ядер (%1)").arg(cores));
    add(1, QStringLiteral("1: элементы по очереди"));
    for (int jobs = 2; jobs <= cores; jobs *= 2)
        add(jobs, QString::number(jobs));
    if (group->checkedAction() == nullptr) // a number this machine does not offer
        group->actions().constFirst()->setChecked(true);
    SetParallelJobs(stored);
}

int CParallelJobsMenu::Stored() {
    return QSettings().value(kJobsKey, 0).toInt();
}

void CParallelJobsMenu::Store(int jobs) {
    QSettings().setValue(kJobsKey, jobs);
    SetParallelJobs(jobs);
}
