#pragma once
// The output panel: a tab bar over four panes, one per channel of the output sink: an edit
// for the argument the user types, views for the program's output, which the user may edit
// too. Its panes become the sink's panes when the panel is built.

#include "ide/OutputPane.h"

#include <QFont>
#include <QWidget>

#include <array>

class QPlainTextEdit;
class QTabBar;

class COutputBar : public QWidget {
    Q_OBJECT
public:
    explicit COutputBar(QWidget* parent = nullptr);
    ~COutputBar() override;

    // Brings the channel's pane to the front and selects its tab, without the tab change
    // notification: the commands select the sink's channel themselves.
    void ShowChannel(int channel);
    int ShownChannel() const;

    QTabBar* Tabs() const { return m_pTabs; }
    QWidget* PaneWidget(int channel) const { return Pane(channel)->Widget(); }
    QPlainTextEdit* ArgumentEdit() const { return Pane(kChannelArgument)->Edit(); }
    // nullptr for the argument's pane.
    COutputView* PaneView(int channel) const { return Pane(channel)->View(); }
    COutputPane* Pane(int channel) const { return m_panes[static_cast<std::size_t>(channel)]; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void CreateTabs();
    void CreatePanes();
    void ApplyPaneFont();
    void AttachPanes();
    void OnTabChanged(int index);
    void ShowOnly(int channel);

    QFont m_font;
    bool m_bInitialised = false;
    std::array<COutputPane*, kChannelCount> m_panes{};
    QTabBar* m_pTabs = nullptr;
};
