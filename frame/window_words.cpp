#include "window_words.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace countdown::frame {

QString WindowWord(const char* english) {
  static const bool loaded = [] {
    auto* const translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
      QCoreApplication::installTranslator(translator);
    } else {
      delete translator;
    }
    return true;
  }();
  (void)loaded;
  return QCoreApplication::translate("QMdiSubWindow", english);
}

QString WindowMenuName() {
  const QString menu = WindowWord("Menu");
  return menu != QLatin1String("Menu") ? menu : QStringLiteral("Window menu");
}

}  // namespace countdown::frame
