#pragma once
// The application: Qt's application object, the settings' home and the main window.

#include <QApplication>
#include <QStringList>
#include <QTranslator>

#include <memory>

class CMainFrame;

class CTirvaneIDEApp {
public:
    CTirvaneIDEApp(int& argc, char** argv);
    ~CTirvaneIDEApp();
    CTirvaneIDEApp(const CTirvaneIDEApp&) = delete;
    CTirvaneIDEApp& operator=(const CTirvaneIDEApp&) = delete;

    // Creates the main window and the documents named on the command line (a new one if
    // none). False if the program cannot start; the reason has been reported.
    bool InitInstance();
    int Run();

    CMainFrame* MainFrame() const { return m_pMainFrame.get(); }

    // Sets the organisation and application names under which QSettings keeps the
    // settings. Also for tests that build a frame without the application object.
    static void SetIdentity();
    // A new document "Программа1" without files, else each file in a window of its own;
    // false if a file cannot be opened (reported already).
    static bool OpenStartupDocuments(CMainFrame& frame, const QStringList& files);

private:
    bool ScheduleScreenshot(const QString& file, int delayMs);

    QApplication m_app;
    QTranslator m_qtTranslator;
    std::unique_ptr<CMainFrame> m_pMainFrame;
};
