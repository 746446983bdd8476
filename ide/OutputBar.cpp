#include "ide/OutputBar.h"

#include <QPainter>
#include <QPlainTextEdit>
#include <QResizeEvent>
#include <QSignalBlocker>
#include <QTabBar>

#include <algorithm>

namespace {

constexpr int kMargin = 5;
constexpr int kTabTop = 3;
constexpr int kTabWidth = 257;
constexpr int kTabHeight = 21;
const QColor kPanelGrey(192, 192, 192);

} // namespace

COutputBar::COutputBar(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    CreateTabs();
    CreatePanes();
    ApplyPaneFont();
    AttachPanes();
    m_bInitialised = true;
}

COutputBar::~COutputBar() {
    for (int channel = 0; channel < kChannelCount; ++channel)
        g_OutputSink.Detach(Pane(channel));
}

void COutputBar::CreateTabs() {
    m_pTabs = new QTabBar(this);
    m_pTabs->setObjectName(QStringLiteral("OutputTabs"));
    m_pTabs->setDrawBase(false);
    m_pTabs->setExpanding(false);
    for (const QString& caption : {QStringLiteral("Трансляция"), QStringLiteral("Аргумент"),
                                   QStringLiteral("Отладка"), QStringLiteral("Результат")})
        m_pTabs->addTab(caption);
    connect(m_pTabs, &QTabBar::currentChanged, this, &COutputBar::OnTabChanged);
}

void COutputBar::CreatePanes() {
    for (int channel = 0; channel < kChannelCount; ++channel) {
        QAbstractScrollArea* widget = nullptr;
        if (channel == kChannelArgument) {
            auto* edit = new CPaneEdit(this);
            edit->setLineWrapMode(QPlainTextEdit::NoWrap);
            m_panes[static_cast<std::size_t>(channel)] = new COutputPane(edit);
            widget = edit;
        } else {
            auto* view = new COutputView(this);
            m_panes[static_cast<std::size_t>(channel)] = new COutputPane(view);
            widget = view;
        }
        widget->setObjectName(QStringLiteral("OutputPane%1").arg(channel));
        widget->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        widget->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        widget->setVisible(channel == kChannelTranslation);
    }
}

void COutputBar::ApplyPaneFont() {
    m_font = QFont(QStringLiteral("Courier New Cyr"));
    m_font.setPixelSize(16);
    m_font.setStyleHint(QFont::TypeWriter);
    for (COutputPane* pane : m_panes)
        pane->Widget()->setFont(m_font);
}

// In channel order, so the last attached channel (3) is current afterwards.
void COutputBar::AttachPanes() {
    for (int channel = 0; channel < kChannelCount; ++channel)
        g_OutputSink.Attach(Pane(channel), channel);
}

void COutputBar::ShowOnly(int channel) {
    for (int i = 0; i < kChannelCount; ++i)
        PaneWidget(i)->setVisible(i == channel);
}

void COutputBar::ShowChannel(int channel) {
    if (channel < 0 || channel >= kChannelCount)
        return;
    ShowOnly(channel);
    const QSignalBlocker blocker(m_pTabs);
    m_pTabs->setCurrentIndex(channel);
}

int COutputBar::ShownChannel() const {
    return m_pTabs->currentIndex();
}

void COutputBar::OnTabChanged(int index) {
    ShowOnly(index);
    if (index == kChannelArgument)
        PaneWidget(index)->setFocus(Qt::TabFocusReason);
}

void COutputBar::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (!m_bInitialised)
        return;
    // 257 x 21 is the tab bar's least size; the captions may need more in the current style.
    const QSize hint = m_pTabs->sizeHint();
    const int tabWidth = std::max(kTabWidth, hint.width());
    const int tabHeight = std::max(kTabHeight, hint.height());
    m_pTabs->setGeometry(kMargin, kTabTop, tabWidth, tabHeight);
    const int paneTop = kTabTop + tabHeight - 1;
    const QSize size = event->size();
    const int width = std::max(0, size.width() - 2 * kMargin);
    const int height = std::max(0, size.height() - paneTop - kMargin);
    for (COutputPane* pane : m_panes)
        pane->Widget()->setGeometry(kMargin, paneTop, width, height);
}

void COutputBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), kPanelGrey);
}
