// The main window's layout across restarts, and the keys shown in the tool bar's tips.

#include "ide/Commands.h"
#include "ide/MainFrame.h"
#include "ide/SplitBar.h"
#include "ide/SplitDrag.h"

#include <QAction>
#include <QEvent>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>

#include <algorithm>

namespace {

const QString kLayoutGroup = QStringLiteral("Layout");
const QString kPanelHeightKey = QStringLiteral("PanelHeight");
const QString kMaximizedKey = QStringLiteral("Maximized");
const QString kGeometryKey = QStringLiteral("Geometry");
const QString kToolBarKey = QStringLiteral("ToolBar");
const QString kStatusBarKey = QStringLiteral("StatusBar");

// A panel remembered on a larger screen must leave room for the documents.
int FittingPanelHeight(int height) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int limit = screen != nullptr ? screen->availableGeometry().height() * 2 / 3 : height;
    return std::clamp(height, kMinLowerHeight, std::max(limit, kMinLowerHeight));
}

} // namespace

void CMainFrame::SaveLayout() const {
    QSettings settings;
    settings.beginGroup(kLayoutGroup);
    settings.setValue(kPanelHeightKey, m_pSplitBar->LowerHeight());
    settings.setValue(kMaximizedKey, isMaximized());
    settings.setValue(kGeometryKey, saveGeometry());
    settings.setValue(kToolBarKey, !m_pToolBar->isHidden());
    settings.setValue(kStatusBarKey, !statusBar()->isHidden());
}

void CMainFrame::RestoreLayout() {
    QSettings settings;
    settings.beginGroup(kLayoutGroup);
    if (settings.contains(kPanelHeightKey))
        m_pSplitBar->SetLowerHeight(FittingPanelHeight(settings.value(kPanelHeightKey).toInt()));
    Action(ID_VIEW_TOOLBAR)->setChecked(settings.value(kToolBarKey, true).toBool());
    Action(ID_VIEW_STATUS_BAR)->setChecked(settings.value(kStatusBarKey, true).toBool());
}

// Without a window manager "maximised" means nothing: the window also takes the screen's
// size first.
void CMainFrame::ShowAsLastTime() {
    QSettings settings;
    settings.beginGroup(kLayoutGroup);
    const bool maximized = settings.value(kMaximizedKey, true).toBool();
    if (!maximized && restoreGeometry(settings.value(kGeometryKey).toByteArray())) {
        show();
        return;
    }
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        setGeometry(screen->availableGeometry());
    showMaximized();
}

// The buttons keep their actions' tips; the tip they show adds the key.
void CMainFrame::ShowShortcutsInToolTips() {
    for (QAction* action : m_pToolBar->actions()) {
        QWidget* button = m_pToolBar->widgetForAction(action);
        if (qobject_cast<QToolButton*>(button) != nullptr)
            button->installEventFilter(this);
    }
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* button = qobject_cast<QToolButton*>(watched);
        if (button != nullptr && button->defaultAction() != nullptr) {
            const auto* help = static_cast<QHelpEvent*>(event);
            QToolTip::showText(help->globalPos(), ToolTipWithShortcut(button->defaultAction()),
                               button);
            return true;
        }
    }
    if (event->type() == QEvent::MouseButtonDblClick &&
        OnReportDoubleClick(static_cast<QMouseEvent*>(event)))
        return true;
    return QMainWindow::eventFilter(watched, event);
}
