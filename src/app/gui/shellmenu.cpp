#include "shellmenu.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QSet>

namespace vantelso::gui {

namespace {
QMenu* menu(QWidget* parent, const char* name) {
    auto* m = new QMenu(QString::fromLatin1(name), parent);
    m->setObjectName(QLatin1String(name));
    return m;
}
QAction* item(QMenu* m, const char* name, bool enabled) {
    QAction* a = m->addAction(QString::fromLatin1(name));
    a->setObjectName(QLatin1String(name));
    a->setEnabled(enabled);
    return a;
}
// Marks a free letter of `text` (the first letter of a word first, then any letter).
QString withMnemonic(const QString& text, QSet<QChar>& taken) {
    if (text.contains(u'&'))
        return text;
    const auto tryAt = [&](qsizetype i) {
        const QChar c = text.at(i).toLower();
        if (!c.isLetter() || taken.contains(c))
            return false;
        taken.insert(c);
        return true;
    };
    for (qsizetype i = 0; i < text.size(); ++i)
        if ((i == 0 || !text.at(i - 1).isLetter()) && tryAt(i))
            return text.left(i) + u'&' + text.mid(i);
    for (qsizetype i = 0; i < text.size(); ++i)
        if (tryAt(i))
            return text.left(i) + u'&' + text.mid(i);
    return text;
}

void markActions(const QList<QAction*>& actions) {
    QSet<QChar> taken;
    for (QAction* a : actions) {
        if (a->isSeparator())
            continue;
        a->setText(withMnemonic(a->text(), taken));
        if (QMenu* sub = a->menu())
            markActions(sub->actions());
    }
}
} // namespace

void AddMnemonics(QMenuBar* bar, bool titles) {
    if (titles) {
        markActions(bar->actions());
        return;
    }
    for (QAction* a : bar->actions())
        if (QMenu* sub = a->menu())
            markActions(sub->actions());
}

ShellMenu BuildShellMenu(QMenuBar* bar, ShellMenu::Kind kind) {
    const bool panel = kind == ShellMenu::Kind::Panel;
    ShellMenu out;

    // Save waits until a file has been opened or saved as; the switch window is not part of
    // the program yet: its item waits disabled.
    QMenu* file = menu(bar, "mnu_file");
    out.open = item(file, "mnu_open", true);
    out.save = item(file, "mnu_save", false);
    out.saveAs = item(file, "mnu_saveas", true);
    file->addSeparator();
    out.compare = item(file, "mnu_compare", true);
    out.report = item(file, "mnu_report", true);
    bar->addMenu(file);

    QMenu* view = menu(bar, "mnu_view");
    out.viewProgram = item(view, "mnu_program", true);
    out.viewMeasure = item(view, "mnu_measure", true);
    out.viewSwitch = item(view, "mnu_switch", false);
    out.commLog = item(view, "mnu_commlog", true);
    bar->addMenu(view);

    QMenu* action = menu(bar, "mnu_action");
    QMenu* program = menu(action, "mnu_act_program");
    out.read = item(program, "mnu_read", true);
    out.write = item(program, "mnu_write", true);
    action->addMenu(program);
    QMenu* measure = menu(action, "mnu_act_measure");
    out.start = item(measure, "mnu_start", true);
    out.stop = item(measure, "mnu_stop", true);
    action->addMenu(measure);
    bar->addMenu(action);

    out.collaudo = menu(bar, "mnu_collaudo");
    out.eeprom = item(out.collaudo, "mnu_eeprom", false);
    out.taratura = item(out.collaudo, "mnu_taratura", false);
    out.test = item(out.collaudo, "mnu_test", false);
    out.registro = item(out.collaudo, "mnu_registro", true);
    bar->addMenu(out.collaudo);

    QMenu* help = menu(bar, "mnu_help");
    if (!panel)
        out.language = item(help, "mnu_language", true);
    out.about = item(help, "mnu_about", true);
    bar->addMenu(help);

    out.exit = bar->addAction(QStringLiteral("mnu_exit"));
    out.exit->setObjectName(QStringLiteral("mnu_exit"));
    return out;
}

} // namespace vantelso::gui
