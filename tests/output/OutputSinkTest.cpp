#include "output/OutputSink.h"
#include "output/MemoryPane.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <semaphore>
#include <stdexcept>
#include <string>
#include <thread>

namespace {

class OutputSinkTest : public testing::Test {
protected:
    void SetUp() override {
        for (int channel = 0; channel < kChannelCount; ++channel)
            m_sink.Attach(&m_panes[channel], channel);
    }

    COutputPanelSink m_sink;
    CMemoryPane m_panes[kChannelCount];
};

// Integers, characters (a NUL too), strings and a null string in their text form (the real
// numbers' form is FormatReal's, below); a pane counts the lines of what it holds.
TEST_F(OutputSinkTest, WritesEachKindOfValueInItsTextFormAndPanesCountTheirLines) {
    m_sink.Write(-7).Write('x').Write('\0').Write(std::string("a b"));
    m_sink.Write(static_cast<const char*>(nullptr)).Write(g_szNewLine).Write("b");
    const std::string shown("-7x\0a b\r\nb", 10);
    EXPECT_EQ(m_panes[kChannelResult].GetText(), shown);
    EXPECT_EQ(m_sink.Buffer(kChannelResult), shown);
    EXPECT_EQ(m_panes[kChannelResult].GetLineCount(), 2);
    m_sink.Clear(kChannelResult);
    EXPECT_EQ(m_panes[kChannelResult].GetLineCount(), 1);
    m_panes[kChannelResult].SetText("one\r\ntwo\r\nthree\r\n");
    EXPECT_EQ(m_panes[kChannelResult].GetLineCount(), 4);
    m_panes[kChannelResult].AppendText("four\r\n");
    EXPECT_EQ(m_panes[kChannelResult].GetLineCount(), 5);
    m_panes[kChannelResult].SetText("alone");
    EXPECT_EQ(m_panes[kChannelResult].GetLineCount(), 1);
}

// Real numbers take one form everywhere (results, traces, panes): the programs of
// tests/golden/cases/values.tvn show it; not a number as the C library writes it.
TEST(FormatRealTest, NotANumberAsTheCLibraryWritesIt) {
    char nan[16];
    std::snprintf(nan, sizeof nan, "%e", std::nan(""));
    EXPECT_EQ(FormatReal(std::nanf("")), nan);
}

// Only the debug channel scrolls to its end: by the line count after each of the three
// writes, 1, 2, 2.
TEST_F(OutputSinkTest, WritesGoToTheSelectedChannelAndOnlyTheDebugOneScrolls) {
    EXPECT_EQ(m_sink.CurrentChannel(), kChannelResult) << "after attaching all four";
    const char* const words[kChannelCount] = {"zero", "one", "two", "three"};
    for (int channel = 0; channel < kChannelCount; ++channel) {
        m_sink.Select(channel);
        m_sink.Write(words[channel]).Write(g_szNewLine).Write("next");
    }
    m_sink.Select(4); // channels outside the four are ignored
    m_sink.Select(-1);
    m_sink.Clear(7);
    m_sink.Clear(kChannelArgument); // and only its own
    EXPECT_EQ(m_sink.CurrentChannel(), kChannelResult);
    for (int channel = 0; channel < kChannelCount; ++channel) {
        const std::string expected =
            channel == kChannelArgument ? "" : words[channel] + std::string("\r\nnext");
        EXPECT_EQ(m_panes[channel].GetText(), expected) << channel;
        EXPECT_EQ(m_sink.Buffer(channel), expected) << channel;
        EXPECT_EQ(m_panes[channel].ScrolledLines(), channel == kChannelDebug ? 5 : 0) << channel;
    }
}

// A pane that counts the writes that reach it.
class CCountingPane : public CMemoryPane {
public:
    void AppendText(const std::string& text) override {
        ++appends;
        CMemoryPane::AppendText(text);
    }
    int appends = 0;
};

// Values print through a gathering sink: 200,000 small writes reach the pane whole and in
// order, in pieces of about 64 KiB rather than all at once or one by one; what was printed
// before an exception still arrives.
TEST_F(OutputSinkTest, GatheredWritesArriveInPiecesAndAlsoWhenPrintingThrows) {
    CCountingPane pane;
    m_sink.Attach(&pane, kChannelResult);
    std::string expected;
    PrintGathered(m_sink, [&](COutputSink& text) {
        for (int i = 0; i < 100000; ++i) {
            text.Write(i).Write(',');
            expected += std::to_string(i) + ',';
        }
    });
    EXPECT_EQ(pane.GetText(), expected);
    const int pieces = static_cast<int>(expected.size() >> 16);
    EXPECT_GE(pane.appends, pieces);
    EXPECT_LE(pane.appends, pieces + 1);

    m_sink.Clear(kChannelResult);
    EXPECT_THROW(PrintGathered(m_sink,
                               [](COutputSink& text) {
                                   text.Write("printed so far");
                                   throw std::runtime_error("stack");
                               }),
                 std::runtime_error);
    EXPECT_EQ(pane.GetText(), "printed so far");
}

// Read gives the text typed into the pane, or without a pane the buffer's.
TEST_F(OutputSinkTest, ReadReturnsTheTypedTextAndBuffersWorkWithoutPanes) {
    const std::string typed = "(1, 2,\r\n 3)";
    m_panes[kChannelArgument].SetText(typed);
    m_sink.Select(kChannelArgument);
    std::string out = "old";
    EXPECT_EQ(&m_sink.Read(out), &out);
    EXPECT_EQ(out, typed);
    EXPECT_EQ(m_sink.Buffer(kChannelArgument), typed);

    COutputPanelSink bare;
    EXPECT_EQ(bare.CurrentChannel(), kChannelTranslation);
    bare.Write("a").Write(2).Select(kChannelDebug);
    bare.Write("trace");
    EXPECT_EQ(bare.Read(out), "trace");
    bare.Clear(kChannelDebug);
    EXPECT_EQ(bare.Buffer(kChannelTranslation), "a2");
    EXPECT_EQ(bare.Buffer(kChannelDebug), "");
}

TEST_F(OutputSinkTest, AttachEmptiesTheBufferMakesTheChannelCurrentAndDetachForgetsOnlyThatPane) {
    m_sink.Select(kChannelTranslation);
    m_sink.Write("old");
    CMemoryPane other;
    m_sink.Select(kChannelResult);
    m_sink.Attach(&other, kChannelTranslation);
    EXPECT_EQ(m_sink.CurrentChannel(), kChannelTranslation);
    EXPECT_EQ(m_sink.Buffer(kChannelTranslation), "");
    m_sink.Write("new");
    EXPECT_EQ(other.GetText(), "new");
    EXPECT_EQ(m_panes[kChannelTranslation].GetText(), "old");
    // The replaced pane going away leaves the newer one attached; its own going detaches it.
    m_sink.Detach(&m_panes[kChannelTranslation]);
    m_sink.Write(" more");
    EXPECT_EQ(other.GetText(), "new more");
    // The text was the pane's: without it the channel starts over.
    m_sink.Detach(&other);
    m_sink.Write(" lost");
    EXPECT_EQ(other.GetText(), "new more");
    EXPECT_EQ(m_sink.Buffer(kChannelTranslation), " lost");

    // A pane that passes its text on (a terminal) gets every write and cannot give it back.
    struct CPassingPane : CMemoryPane {
        bool PassesTextOn() const override { return true; }
    } passing;
    m_sink.Attach(&passing, kChannelDebug);
    m_sink.Write("step ").Write(1);
    EXPECT_EQ(passing.GetText(), "step 1");
    EXPECT_EQ(m_sink.Buffer(kChannelDebug), "");
}

TEST_F(OutputSinkTest, WritesFromTwoThreadsAreNotTorn) {
    constexpr int kWrites = 2000;
    const auto writer = [this](const char* piece) {
        for (int i = 0; i < kWrites; ++i)
            m_sink.Write(piece);
    };
    std::thread first(writer, "ab");
    std::thread second(writer, "cd");
    first.join();
    second.join();
    const std::string text = m_panes[kChannelResult].GetText();
    ASSERT_EQ(text.size(), 4u * kWrites);
    EXPECT_EQ(text, m_sink.Buffer(kChannelResult));
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const std::string piece = text.substr(i, 2);
        ASSERT_TRUE(piece == "ab" || piece == "cd") << piece << " at " << i;
    }
}

// A run's worker keeps writing where its session selected while the window's thread selects
// another channel for a Translate, and the other way round.
TEST_F(OutputSinkTest, AThreadWithAChannelOfItsOwnAndTheOthersDoNotMoveEachOther) {
    std::binary_semaphore toWorker{0};
    std::binary_semaphore toMain{0};
    m_sink.Select(kChannelDebug);
    std::thread worker([&] {
        COutputPanelSink::UseOwnChannel(m_sink.CurrentChannel());
        toMain.release();
        toWorker.acquire();
        m_sink.Write("trace");
        m_sink.Select(kChannelResult);
        m_sink.Write("result");
        toMain.release();
    });
    toMain.acquire();
    m_sink.Select(kChannelTranslation);
    m_sink.Write("report");
    toWorker.release();
    toMain.acquire();
    m_sink.Write(" more");
    worker.join();
    EXPECT_EQ(m_panes[kChannelTranslation].GetText(), "report more");
    EXPECT_EQ(m_panes[kChannelDebug].GetText(), "trace");
    EXPECT_EQ(m_panes[kChannelResult].GetText(), "result");
    EXPECT_EQ(m_sink.CurrentChannel(), kChannelTranslation);
}

} // namespace
