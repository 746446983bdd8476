#include "ide/TirvaneIDEApp.h"

#include "ide/MainFrame.h"

#include <QCommandLineParser>
#include <QLibraryInfo>
#include <QLocale>
#include <QPixmap>
#include <QTimer>

#include <cstdio>

// The interface is Russian whatever the system's language: Qt's own dialogs (printing, file
// choice, message box buttons) follow where Qt's translations are installed.
CTirvaneIDEApp::CTirvaneIDEApp(int& argc, char** argv) : m_app(argc, argv) {
    SetIdentity();
    if (m_qtTranslator.load(QLocale(QLocale::Russian, QLocale::Russia), QStringLiteral("qtbase"),
                            QStringLiteral("_"),
                            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&m_qtTranslator);
}

CTirvaneIDEApp::~CTirvaneIDEApp() = default;

void CTirvaneIDEApp::SetIdentity() {
    QCoreApplication::setOrganizationName(QStringLiteral("Local AppWizard-Generated Applications"));
    QCoreApplication::setApplicationName(QStringLiteral("TirvaneIDE"));
}

bool CTirvaneIDEApp::InitInstance() {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Среда разработки Тирвейн"));
    parser.addHelpOption();
    const QCommandLineOption screenshot(
        QStringLiteral("screenshot"),
        QStringLiteral("Save a picture of the main window to FILE and quit."),
        QStringLiteral("FILE"));
    const QCommandLineOption delay(QStringLiteral("screenshot-delay"),
                                   QStringLiteral("Milliseconds to wait before the picture (500)."),
                                   QStringLiteral("MS"), QStringLiteral("500"));
    parser.addOption(screenshot);
    parser.addOption(delay);
    parser.addPositionalArgument(QStringLiteral("files"),
                                 QStringLiteral("Program files (.tvn) to open."),
                                 QStringLiteral("[files...]"));
    parser.process(m_app);

    m_pMainFrame = std::make_unique<CMainFrame>();
    if (!m_pMainFrame->Create())
        return false;
    if (!OpenStartupDocuments(*m_pMainFrame, parser.positionalArguments()))
        return false;
    m_pMainFrame->ShowAsLastTime();
    if (parser.isSet(screenshot))
        return ScheduleScreenshot(parser.value(screenshot), parser.value(delay).toInt());
    return true;
}

bool CTirvaneIDEApp::OpenStartupDocuments(CMainFrame& frame, const QStringList& files) {
    if (files.isEmpty())
        frame.NewDocument();
    for (const QString& file : files) {
        if (frame.OpenDocument(file) == nullptr)
            return false;
    }
    return true;
}

bool CTirvaneIDEApp::ScheduleScreenshot(const QString& file, int delayMs) {
    QTimer::singleShot(delayMs, m_pMainFrame.get(), [this, file] {
        if (!m_pMainFrame->grab().save(file))
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
        m_pMainFrame->close();
    });
    return true;
}

int CTirvaneIDEApp::Run() {
    return QApplication::exec();
}
