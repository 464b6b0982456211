#include "qttranslations.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>

namespace vantelso::app {

QtTranslations::QtTranslations(const Texts& texts, QObject* parent)
    : QObject(parent), m_texts(texts) {
    connect(&m_texts, &Texts::languageChanged, this, &QtTranslations::follow);
    follow();
}

QtTranslations::~QtTranslations() {
    if (m_installed)
        QCoreApplication::removeTranslator(&m_translator);
}

void QtTranslations::follow() {
    if (m_installed) {
        QCoreApplication::removeTranslator(&m_translator);
        m_installed = false;
    }
    if (m_texts.langIndex() != Texts::Italian || !QCoreApplication::instance())
        return;
    const QLocale italian(QLocale::Italian, QLocale::Italy);
    const QString beside = QDir(QCoreApplication::applicationDirPath())
                               .absoluteFilePath(QStringLiteral("translations"));
    for (const QString& folder : {QLibraryInfo::path(QLibraryInfo::TranslationsPath), beside}) {
        if (m_translator.load(italian, QStringLiteral("qtbase"), QStringLiteral("_"), folder)) {
            m_installed = QCoreApplication::installTranslator(&m_translator);
            return;
        }
    }
}

} // namespace vantelso::app
