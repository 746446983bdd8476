#pragma once
// The setting of how many threads a run gives its parallel lists: a submenu of
// "Программа" with one checked choice (one per core, or a fixed number; 1 evaluates the
// elements one after another), kept in QSettings and handed to the core at once.

#include <QObject>

class QMenu;
class QWidget;

class CParallelJobsMenu : public QObject {
    Q_OBJECT
public:
    explicit CParallelJobsMenu(QWidget* parent);
    QMenu* Menu() const { return m_pMenu; }

    // The stored setting (0: one thread per core), applied to the core.
    static int Stored();
    static void Store(int jobs);

private:
    QMenu* m_pMenu;
};
