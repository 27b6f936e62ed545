// The updater's program: the application object, the main window with its
// start-up values, and the message loop until the window is closed.
#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include "XFramePainter.h"
#include "uMain.h"

int main(int argc, char** argv) {
  shell::PrepareXlibForThreads();  // the busy animation draws from a thread
  // Its native window stays the only one besides the window's own.
  QCoreApplication::setAttribute(Qt::AA_DontCreateNativeWidgetSiblings);
  QApplication application(argc, argv);
  QGuiApplication::setApplicationDisplayName(QStringLiteral("Updater_Quendal"));
  // Qt's own texts (an edit field's context menu) in Russian, where installed.
  QTranslator qtTexts;
  if (qtTexts.load(QStringLiteral("qtbase_ru"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QApplication::installTranslator(&qtTexts);

  uMain::TfrmMain window;  // FormCreate replaces the title
  uMain::frmMain = &window;
  uMain::SetStartupValues(window);
  window.show();
  const int exitCode = QApplication::exec();
  uMain::frmMain = nullptr;
  return exitCode;
}
