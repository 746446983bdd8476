#include "output/OutputSink.h"

#include <cstdio>

COutputPanelSink g_OutputSink;
COutputSink* g_pOutput = &g_OutputSink;
const char g_szNewLine[] = "\r\n";

namespace {
RunNoteWriter g_pfnRunNoteWriter = nullptr;
} // namespace

void SetRunNotes(RunNoteWriter writer) {
    g_pfnRunNoteWriter = writer;
}

void WriteRunNote(std::string_view text) {
    if (g_pfnRunNoteWriter != nullptr)
        g_pfnRunNoteWriter(text);
}

void WriteRunNoteToStdout(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

namespace {

bool IsChannel(int channel) {
    return channel >= 0 && channel < kChannelCount;
}

thread_local int t_nOwnChannel = COutputPanelSink::kSharedChannel;

} // namespace

// The exponent always has at least three digits (1.500000e+000), so that a real reads the
// same in every pane, trace and result, whatever the C library prints.
std::string FormatReal(float x) {
    const double value = x;
    const int length = std::snprintf(nullptr, 0, "%e", value);
    std::string text(static_cast<std::size_t>(length), '\0');
    std::snprintf(text.data(), text.size() + 1, "%e", value);
    const std::size_t e = text.find('e');
    if (e == std::string::npos)
        return text; // inf and nan as the C library writes them
    const std::size_t digits = text.size() - (e + 2);
    if (digits < 3)
        text.insert(e + 2, 3 - digits, '0');
    return text;
}

COutputPanelSink::~COutputPanelSink() = default;

void COutputPanelSink::Clear(int channel) {
    std::lock_guard lock(m_mutex);
    if (!IsChannel(channel))
        return;
    m_strBuffers[channel].clear();
    if (m_pPanes[channel] != nullptr)
        m_pPanes[channel]->SetText("");
}

void COutputPanelSink::Select(int channel) {
    std::lock_guard lock(m_mutex);
    if (IsChannel(channel))
        Current() = channel;
}

void CGatheringSink::Clear(int channel) {
    Flush();
    m_target.Clear(channel);
}

void CGatheringSink::Select(int channel) {
    Flush();
    m_target.Select(channel);
}

void CGatheringSink::Flush() {
    if (m_text.empty())
        return;
    m_target.Write(m_text);
    m_text.clear();
}

void CGatheringSink::WriteText(const std::string& text) {
    constexpr std::size_t kPiece = std::size_t(64) << 10;
    m_text += text;
    if (m_text.size() < kPiece)
        return;
    Flush();
    if (m_pBetweenPieces != nullptr)
        (*m_pBetweenPieces)();
}

COutputSink& COutputSink::Write(const std::string& text) {
    WriteText(text);
    return *this;
}

COutputSink& COutputSink::Write(char c) {
    WriteText(std::string(1, c));
    return *this;
}

COutputSink& COutputSink::Write(float x) {
    WriteText(FormatReal(x));
    return *this;
}

COutputSink& COutputSink::Write(int n) {
    WriteText(std::to_string(n));
    return *this;
}

COutputSink& COutputSink::Write(const char* text) {
    if (text != nullptr)
        WriteText(text);
    return *this;
}

std::string& COutputPanelSink::Read(std::string& out) {
    std::lock_guard lock(m_mutex);
    const int current = Current();
    out = m_pPanes[current] != nullptr ? m_pPanes[current]->GetText() : m_strBuffers[current];
    return out;
}

void COutputPanelSink::Attach(IOutputPane* pane, int channel) {
    std::lock_guard lock(m_mutex);
    if (!IsChannel(channel))
        return;
    m_strBuffers[channel].clear();
    m_pPanes[channel] = pane;
    Current() = channel;
}

void COutputPanelSink::DetachAll() {
    std::lock_guard lock(m_mutex);
    for (IOutputPane*& pane : m_pPanes)
        pane = nullptr;
}

void COutputPanelSink::Detach(const IOutputPane* pane) {
    std::lock_guard lock(m_mutex);
    for (IOutputPane*& attached : m_pPanes) {
        if (attached == pane)
            attached = nullptr;
    }
}

int COutputPanelSink::CurrentChannel() const {
    std::lock_guard lock(m_mutex);
    return Current();
}

void COutputPanelSink::UseOwnChannel(int channel) {
    t_nOwnChannel = IsChannel(channel) ? channel : kSharedChannel;
}

int& COutputPanelSink::Current() {
    return t_nOwnChannel != kSharedChannel ? t_nOwnChannel : m_nCurrent;
}

int COutputPanelSink::Current() const {
    return t_nOwnChannel != kSharedChannel ? t_nOwnChannel : m_nCurrent;
}

std::string COutputPanelSink::Buffer(int channel) const {
    std::lock_guard lock(m_mutex);
    if (!IsChannel(channel))
        return std::string();
    const IOutputPane* pane = m_pPanes[channel];
    if (pane == nullptr)
        return m_strBuffers[channel];
    return pane->PassesTextOn() ? std::string() : pane->GetText();
}

// Only the debug trace follows its end: the other channels are read from the top.
void COutputPanelSink::WriteText(const std::string& text) {
    std::lock_guard lock(m_mutex);
    const int current = Current();
    IOutputPane* pane = m_pPanes[current];
    if (pane == nullptr) {
        m_strBuffers[current] += text;
        return;
    }
    pane->AppendText(text);
    if (current == kChannelDebug)
        pane->ScrollDown(pane->GetLineCount());
}
