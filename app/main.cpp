// quil: the desktop application.

#include "QuilApp.h"

#include "settings/QtSettingsStore.h"
#include "resources/AppStrings.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QString::fromUtf8(kSettingsOrganization));
    QApplication::setApplicationName(QString::fromUtf8(kSettingsApplication));
    QApplication::setApplicationVersion(QString::fromUtf8(kAppVersion));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/quil.svg")));
    QApplication::setDesktopFileName(QStringLiteral("quil"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromUtf8(kWelcomeLine1));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("A .quil file to open."),
                                 QStringLiteral("[file]"));
    parser.process(application);  // --help, --version and unknown options end here with a message

    CQuilApp app;
    QStringList arguments = parser.positionalArguments();
    arguments.removeAll(QString());
    if (!app.InitInstance(arguments))
        return 1;
    const int result = QApplication::exec();
    app.ExitInstance();
    return result;
}
