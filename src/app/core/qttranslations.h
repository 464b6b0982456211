#pragma once

#include "texts.h"

#include <QObject>
#include <QTranslator>

namespace vantelso::app {

// Qt's own texts (the standard buttons of message boxes, the file dialogs) in the language
// of the program: Qt's Italian translation is installed while the program speaks Italian and
// removed for English, Qt's own language. Found where Qt keeps its translations, else in a
// "translations" folder beside the program; when missing those texts stay English.
class QtTranslations : public QObject {
    Q_OBJECT
public:
    explicit QtTranslations(const Texts& texts, QObject* parent = nullptr);
    ~QtTranslations() override;

    // Whether Qt's translation for the current language is installed.
    bool installed() const { return m_installed; }

private:
    void follow();

    const Texts& m_texts;
    QTranslator m_translator;
    bool m_installed = false;
};

} // namespace vantelso::app
